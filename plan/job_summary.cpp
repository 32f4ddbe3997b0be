#include "plan/job_summary.h"

#include <algorithm>

#include "core/job_state.h"
#include "core/typed_header_builder.h"

namespace kv {

namespace {

// The terms of the Type3 estimate: a piece holds the divide size less 15
// bytes while piece numbers take the short form (up to 127), less 16 after;
// the first piece's header is reckoned with 13 bytes off (12 for the remainder).
constexpr std::int64_t kShortNumberedPieceOverhead = 15;
constexpr std::int64_t kLongNumberedPieceOverhead = 16;
constexpr std::int64_t kLastShortPieceNumber = 127;
constexpr std::int64_t kFirstPieceAllowance = 13;
// The CRC-16 and end tag behind every Type3 body.
constexpr std::int64_t kTrailerLength = 3;

int LengthOf(const std::vector<std::uint8_t>& header) {
  return static_cast<int>(header.size());
}

}  // namespace

// The series identity and the recorded time take the same room whatever
// their value, so zeros stand in for them; the piece length takes the form
// of the divide size less the trailer.
int Type3FirstHeaderLength(std::int64_t sourceSize, std::string_view storedName,
                           std::int64_t divideSize) {
  const std::int64_t pieceLength = std::max<std::int64_t>(0, divideSize - kTrailerLength);
  return LengthOf(BuildType3FirstHeader(sourceSize, pieceLength, 0, storedName, 0, 0));
}

int Type2HeaderLength(std::int64_t sourceSize, std::string_view storedName) {
  return LengthOf(BuildType2Header(storedName, sourceSize, 0));
}

int DivideHeaderLength(int divideType, std::int64_t sourceSize, std::string_view storedName,
                       std::int64_t divideSize) {
  switch (static_cast<SplitType>(divideType)) {
    case SplitType::kType1:
      return kType1HeaderLength;
    case SplitType::kType2:
      return Type2HeaderLength(sourceSize, storedName);
    case SplitType::kType3:
      return Type3FirstHeaderLength(sourceSize, storedName, divideSize);
    default:
      return 0;
  }
}

std::int64_t MediaCount(int divideType, std::int64_t sourceSize, std::int64_t divideSize,
                        std::int64_t headerLength) {
  const std::int64_t s = sourceSize;
  const std::int64_t d = divideSize;
  const std::int64_t h = headerLength;
  if (d <= 0) {
    return 0;
  }
  const auto type = static_cast<SplitType>(divideType);
  if (type == SplitType::kType1 || type == SplitType::kType2) {
    // The type number itself is the Type1/Type2 estimate's term.
    const std::int64_t t = divideType;
    return d - t + 1 > 0 ? (s + h - t) / (d - t + 1) + 1 : 0;
  }
  if (type == SplitType::kType3) {
    if (d <= kLongNumberedPieceOverhead) {
      return 0;
    }
    std::int64_t count = (s + h - kFirstPieceAllowance) / (d - kShortNumberedPieceOverhead) + 1;
    if (count > kLastShortPieceNumber) {
      const std::int64_t remainder =
          (s + h - (kFirstPieceAllowance - 1)) % (d - kShortNumberedPieceOverhead);
      count += (remainder + count - kLastShortPieceNumber) / (d - kLongNumberedPieceOverhead);
    }
    return count;
  }
  return (s - 1) / d + 1;
}

std::int64_t PiecesWritten(int divideType, std::int64_t sourceSize, std::int64_t divideSize,
                           std::int64_t headerLength, std::int64_t stubSize) {
  if (divideType != static_cast<int>(SplitType::kType3)) {
    return MediaCount(divideType, sourceSize, divideSize, headerLength);
  }
  // Every piece ends in the 3-byte trailer; next headers grow by a byte
  // once the piece number takes the long form.
  const std::int64_t pieceLength = divideSize - kTrailerLength;
  const std::int64_t shortBody = pieceLength - Type3NextHeaderLength(2, pieceLength);
  const std::int64_t longBody =
      pieceLength - Type3NextHeaderLength(kLastShortPieceNumber + 1, pieceLength);
  const std::int64_t firstBody = divideSize - stubSize - headerLength - kTrailerLength;
  if (firstBody <= 0 || longBody <= 0) {
    return 0;
  }
  std::int64_t rest = sourceSize - firstBody;
  if (rest <= 0) {
    return 1;
  }
  const std::int64_t shortPieces = kLastShortPieceNumber - 1;
  if (rest <= shortPieces * shortBody) {
    return 1 + (rest + shortBody - 1) / shortBody;
  }
  rest -= shortPieces * shortBody;
  return kLastShortPieceNumber + (rest + longBody - 1) / longBody;
}

}  // namespace kv
