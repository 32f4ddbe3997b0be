#include "divide/typed_layout.h"

#include <algorithm>

#include "core/typed_header_builder.h"

namespace kv {

std::int64_t FirstPieceRoom(SplitType type, std::int64_t divideSize, std::int64_t stubSize,
                            std::int64_t headerLength) {
  return divideSize - headerLength - (type == SplitType::kType3 ? kType3TrailerLength : 0) -
         stubSize;
}

std::int64_t NextType3PieceLength(std::int64_t headerLength, std::int64_t divideSize,
                                  std::int64_t remaining) {
  return std::min<std::int64_t>(divideSize - kType3TrailerLength, headerLength + remaining);
}

std::int64_t NextPieceOverhead(SplitType type, int pieceNumber, std::int64_t divideSize,
                               std::int64_t remaining) {
  if (type == SplitType::kType2) {
    return 1;
  }
  if (type != SplitType::kType3) {
    return 0;
  }
  // The piece length takes its long form only when header and body pass
  // 0x7FFFFFFF bytes; the longer header still leaves them past it.
  int headerLength = Type3NextHeaderLength(pieceNumber);
  headerLength =
      Type3NextHeaderLength(pieceNumber, NextType3PieceLength(headerLength, divideSize, remaining));
  return headerLength + kType3TrailerLength;
}

std::vector<std::uint8_t> NextPieceHeader(SplitType type, int pieceNumber, std::int64_t divideSize,
                                          std::int64_t remaining, std::uint16_t seriesId,
                                          std::uint8_t checkByte) {
  if (type == SplitType::kType2) {
    return {checkByte};
  }
  if (type != SplitType::kType3) {
    return {};
  }
  const std::int64_t headerLength =
      NextPieceOverhead(type, pieceNumber, divideSize, remaining) - kType3TrailerLength;
  return BuildType3NextHeader(NextType3PieceLength(headerLength, divideSize, remaining), seriesId,
                              pieceNumber);
}

}  // namespace kv
