#pragma once
// The series behind the checked files: whether the pieces among them hold
// every byte of the source their first piece records, so a script or the
// window learns that a series cannot be restored before anything is deleted.

#include <optional>
#include <string>
#include <vector>

namespace kv {

struct SeriesSummary {
  std::string firstPiece;
  int present = 0;  // sound pieces of the series among the checked files, the first included
  int damaged = 0;  // pieces of the series among them that failed their check
  // Complete: the series' count of pieces. Incomplete: the fewest it can
  // have (a piece after a gap may or may not be the last).
  int pieces = 0;
  bool complete = false;
};

// One summary per Type3 first piece among `files` whose header can be read.
// A piece belongs to the series when its name carries the next number and
// its own header the series identity and that number; its body counts as
// its header's piece length says, so pieces of different lengths (a series
// fitted to each medium's free space) add up as they were written. A piece
// among `failed` (its check found it damaged) holds no trusted byte: it is
// counted as damaged, and the series is not complete with it.
std::vector<SeriesSummary> SummariseSeries(const std::vector<std::string>& files,
                                           const std::vector<std::string>& failed = {});

// A Type3 series of `firstPiece` whose pieces beside it do not hold every
// byte of its source: recovery data over the pieces there could not rebuild
// the rest. Nothing for a complete series or one of another type.
std::optional<SeriesSummary> IncompleteSeries(const std::string& firstPiece);

// "first-piece: P of N pieces, complete", or, when pieces are missing or
// damaged, "first-piece: P of at least N pieces, D damaged, incomplete" (the
// count of damaged pieces only when there are any).
std::string FormatSeriesLine(const SeriesSummary& summary);

}  // namespace kv
