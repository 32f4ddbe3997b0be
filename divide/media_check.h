#pragma once
// The destination check both divide engines run before each piece: is the
// medium ready, is there enough free space when pieces follow the free space,
// and does the planned piece fit (else the capacity-shortage request).

#include <cstdint>
#include <functional>
#include <string>

#include "core/divide_settings.h"
#include "core/job_end.h"

namespace kv {

class Prompter;
class Volumes;

struct MediaCheckRule {
  // Pieces follow the free space of the destination ("空き容量にあわせる").
  bool fitFree = false;
  // When fitting: free space at or below this many bytes is too small.
  std::uint64_t tooSmallAtOrBelow = 0;
  // The piece size when not fitting.
  std::int64_t fixedSize = 0;
  // The largest piece the type's headers can describe.
  std::int64_t largestPiece = kLargestDivideSize;
  // The bytes the piece needs on the medium, given the piece size settled
  // for this round and the free space measured.
  std::function<std::int64_t(std::int64_t pieceSize)> needed;
};

struct MediaCheckResult {
  bool passed = false;  // false: the user cancelled
  // When not passed: cancelled, or failed with the errno and the folder of a
  // medium that was not ready when the user gave up.
  JobEnd end;
  std::int64_t pieceSize = 0;   // the size in force for the piece
  std::uint64_t freeSpace = 0;  // the free space measured in the passing round
};

// Repeats the check until it passes or the user cancels. Every question goes
// through `prompter` with the destination `dest` named in the capacity request.
MediaCheckResult RunMediaCheck(Volumes& volumes, Prompter& prompter, const std::string& dest,
                               const MediaCheckRule& rule);

// The capacity-shortage lines: "必要容量： %sBytes" and "空き容量： %sBytes" with grouped digits.
std::string RequiredLine(std::int64_t needed);
std::string FreeLine(std::uint64_t freeSpace);

}  // namespace kv
