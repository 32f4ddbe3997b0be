#include "divide/typed_layout.h"

#include "core/piece_format.h"

namespace kv {

namespace {

const PieceFormat& FormatOf(SplitType type) {
  return PieceFormatOf(static_cast<int>(type));
}

}  // namespace

std::int64_t FirstPieceRoom(SplitType type, std::int64_t divideSize, std::int64_t stubSize,
                            std::int64_t headerLength) {
  return divideSize - headerLength - FormatOf(type).trailerLength - stubSize;
}

std::int64_t NextPieceOverhead(SplitType type, int pieceNumber, std::int64_t divideSize,
                               std::int64_t remaining) {
  const PieceFormat& format = FormatOf(type);
  return format.nextHeaderLength({pieceNumber, divideSize, remaining, 0}) + format.trailerLength;
}

std::vector<std::uint8_t> NextPieceHeader(SplitType type, int pieceNumber, std::int64_t divideSize,
                                          std::int64_t remaining, std::uint16_t seriesId,
                                          std::uint8_t checkByte) {
  const std::uint16_t identity = type == SplitType::kType2 ? checkByte : seriesId;
  return FormatOf(type).buildNextHeader({pieceNumber, divideSize, remaining, identity});
}

}  // namespace kv
