#pragma once
// The series behind the checked files: whether every piece the first
// piece's header implies was among them, so a shell script learns that a
// series cannot be restored before it deletes anything.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv {

struct SeriesSummary {
  std::string firstPiece;
  int present = 0;  // pieces of the series among the checked files, the first included
  int implied = 0;  // pieces the first header's source size and piece length need
  bool Complete() const { return present >= implied; }
};

// How many pieces a series of `sourceSize` bytes needs when every piece is
// `pieceLength` long and the first header takes `firstHeaderLength`; nullopt
// when the lengths leave no room for a body or need more pieces than can be numbered.
std::optional<int> ImpliedPieceCount(std::int64_t sourceSize, std::int64_t pieceLength,
                                     std::int64_t firstHeaderLength);

// One summary per Type3 first piece among `files` whose header can be read.
std::vector<SeriesSummary> SummariseSeries(const std::vector<std::string>& files);

// "first-piece: N of M pieces, complete" (or "incomplete").
std::string FormatSeriesLine(const SeriesSummary& summary);

}  // namespace kv
