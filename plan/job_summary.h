#pragma once
// The numbers of a divide summary at a fixed divide size: the media the
// pieces are estimated to take, and whether the series could number them all.

#include <cstdint>

#include "core/piece_format.h"

namespace kv {

struct DivideEstimate {
  std::int64_t media = 0;
  // More pieces than the format can number: the divide is refused before a piece is written.
  bool tooManyPieces = false;
};

// A divide of `sourceSize` bytes at `divideSize` (> 0) with a first header of
// `headerLength` bytes behind a stub of `stubSize`.
DivideEstimate EstimateDivide(const PieceFormat& format, std::int64_t sourceSize,
                              std::int64_t divideSize, std::int64_t headerLength,
                              std::int64_t stubSize);

}  // namespace kv
