#pragma once
// The series behind the checked files: whether the pieces among them hold
// every byte of the source their first piece records, so a shell script
// learns that a series cannot be restored before it deletes anything.

#include <string>
#include <vector>

namespace kv {

struct SeriesSummary {
  std::string firstPiece;
  int present = 0;  // pieces of the series among the checked files, the first included
  // Complete: the series' count of pieces. Incomplete: the fewest it can
  // have (a piece after a gap may or may not be the last).
  int pieces = 0;
  bool complete = false;
};

// One summary per Type3 first piece among `files` whose header can be read.
// A piece belongs to the series when its name carries the next number and
// its own header the series identity and that number; its body counts as
// its header's piece length says, so pieces of different lengths (a series
// fitted to each medium's free space) add up as they were written.
std::vector<SeriesSummary> SummariseSeries(const std::vector<std::string>& files);

// "first-piece: P of N pieces, complete", or, when pieces are missing,
// "first-piece: P of at least N pieces, incomplete".
std::string FormatSeriesLine(const SeriesSummary& summary);

}  // namespace kv
