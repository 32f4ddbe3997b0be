#include "divide/typed_layout.h"

namespace kv {

std::int64_t FirstPieceRoom(const PieceFormat& format, std::int64_t divideSize,
                            std::int64_t stubSize, std::int64_t headerLength) {
  return divideSize - headerLength - format.trailerLength - stubSize;
}

std::int64_t NextPieceOverhead(const PieceFormat& format, int pieceNumber, std::int64_t divideSize,
                               std::int64_t remaining) {
  return format.nextHeaderLength({pieceNumber, divideSize, remaining, 0}) + format.trailerLength;
}

std::vector<std::uint8_t> NextPieceHeader(const PieceFormat& format, int pieceNumber,
                                          std::int64_t divideSize, std::int64_t remaining,
                                          std::uint16_t identity) {
  return format.buildNextHeader({pieceNumber, divideSize, remaining, identity});
}

}  // namespace kv
