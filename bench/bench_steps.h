#pragma once
// The timed steps of one round: the kolvanto-cli jobs and, on the same
// bytes, the tools and passes they are compared with.

#include <functional>
#include <string>
#include <vector>

namespace kv::bench {

struct BenchPlace {
  std::string cli;     // the kolvanto-cli executable
  std::string folder;  // this run's own folder, removed at the end
  std::string source;  // the source file in it
  std::string log;     // standard error of every child
};

struct Step {
  std::string name;
  std::function<void()> prepare;     // not timed: empties what the step writes
  std::function<bool(double&)> run;  // times itself; false when it failed
  std::function<bool()> verify;      // not timed, first round only; may be empty
};

// The piece sizes timed for a source of `sizeMiB` MiB: 300M and 1M for
// 1 GiB and more; a smaller source gets large pieces of the same share of
// it (at least 1M), since a source that fits one piece is not divided.
std::vector<std::string> PieceSizes(long sizeMiB);

// The steps for pieces of `pieceSize` (a kolvanto-cli SIZE such as "300M"),
// named "<what> <pieceSize>", in an order where every step finds the pieces
// it reads.
std::vector<Step> StepsForPieceSize(const BenchPlace& place, const std::string& pieceSize);

// The steps that do not depend on a piece size: "copy_file_range" of the
// source and "read source".
std::vector<Step> SourceSteps(const BenchPlace& place);

}  // namespace kv::bench
