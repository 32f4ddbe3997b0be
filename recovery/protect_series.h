#pragma once
// Recovery data for a series on disk: its pieces by file name, every piece a
// single slice (the slice size is the largest piece's length rounded up to a
// multiple of 4), so N recovery slices rebuild any N pieces, the last,
// shorter one and pieces fitted to free space alike. A set numbers at most
// 32768 slices, so a series of more pieces is refused.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "recovery/recovery_writer.h"
#include "recovery/series_pieces.h"

namespace kv::par2 {

enum class ProtectRefusal {
  kNone,
  kNotFirstPiece,    // the name is not that of a first piece
  kTooManyPieces,    // more pieces than a set can number
  kTooMuchRecovery,  // more recovery than pieces
  kEmptyPiece,       // a piece of no bytes has no slice to rebuild
};

struct ProtectResult {
  ProtectRefusal refusal = ProtectRefusal::kNone;
  SeriesPieces pieces;
  std::uint64_t sliceSize = 0;
  RecoveryOutcome written;
};

// The slice size that makes every piece one slice; 0 when a piece is empty.
std::uint64_t SliceSizeForPieces(const std::vector<std::uint64_t>& lengths);

// Writes recovery for `recoverable` pieces beside the series of `firstPiece`.
// `stopAsked`, when given, is asked as the set is computed and written: true
// gives it up, leaving none of its files (ECANCELED on NAME.par2).
ProtectResult ProtectSeries(const std::string& firstPiece, std::uint32_t recoverable,
                            std::function<bool()> stopAsked = {});

}  // namespace kv::par2
