#include "plan/job_summary.h"

namespace kv {

DivideEstimate EstimateDivide(const PieceFormat& format, std::int64_t sourceSize,
                              std::int64_t divideSize, std::int64_t headerLength,
                              std::int64_t stubSize) {
  // The shown estimate may fall short of the pieces written by hundreds;
  // the refusal goes by the exact count.
  return {.media = format.mediaCount(sourceSize, divideSize, headerLength),
          .tooManyPieces = format.piecesWritten(sourceSize, divideSize, headerLength, stubSize) >
                           format.mostPieces};
}

}  // namespace kv
