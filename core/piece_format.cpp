#include "core/piece_format.h"

#include <algorithm>
#include <array>
#include <limits>
#include <span>

#include "core/divide_settings.h"
#include "core/flagged_int.h"
#include "core/packed_time.h"
#include "core/typed_header_builder.h"
#include "core/typed_header_reader.h"

namespace kv {

namespace {

// The CRC-16 and end tag behind every Type3 body.
constexpr int kType3TrailerLength = 3;
// The smallest piece of a typed divide; raw slices may be a byte.
constexpr std::int64_t kTypedSmallestDivideSize = 1024;

int LengthOf(const std::vector<std::uint8_t>& header) {
  return static_cast<int>(header.size());
}

// ---- Type0: raw slices, no header, no trailer.

int NoHeaderLength(std::int64_t, std::string_view, std::int64_t) {
  return 0;
}
std::vector<std::uint8_t> NoFirstHeader(const SeriesFacts&, std::int64_t) {
  return {};
}
std::uint16_t NoIdentity(const SeriesFacts&, std::int64_t) {
  return 0;
}
int NoNextHeaderLength(const NextHeaderFacts&) {
  return 0;
}
std::vector<std::uint8_t> NoNextHeader(const NextHeaderFacts&) {
  return {};
}
// Nothing opens a following piece: it is the series' by its name alone.
NextHeaderRead NothingToRead(ByteSource&) {
  return {.identified = true, .whole = true};
}
// Pieces without a marker are not checked on their own.
HeaderCheck Unchecked(ByteSource&, std::int64_t, bool) {
  return {.end = HeaderCheck::End::kUnsupported};
}
FirstHeaderRead NoFirstHeaderRead(ByteSource&, std::optional<std::int64_t>, CodePageToUtf8) {
  return {.refusal = kNotAPieceText};
}

std::int64_t Type0MediaCount(std::int64_t s, std::int64_t d, std::int64_t /*h*/) {
  return d <= 0 ? 0 : (s - 1) / d + 1;
}

// ---- Type1 and Type2: one header on the first piece; Type2 opens every
// following piece with its check byte.

// The type number itself is the Type1/Type2 estimate's term: (S + H − T) ÷ (D − T + 1) + 1.
template <int T>
std::int64_t HeadedMediaCount(std::int64_t s, std::int64_t d, std::int64_t h) {
  return d > 0 && d - T + 1 > 0 ? (s + h - T) / (d - T + 1) + 1 : 0;
}

// Pieces that carry no number cannot run out of them: the estimate is the count.
template <std::int64_t (*Count)(std::int64_t, std::int64_t, std::int64_t)>
std::int64_t EstimatedPieces(std::int64_t s, std::int64_t d, std::int64_t h, std::int64_t) {
  return Count(s, d, h);
}

int Type1HeaderLength(std::int64_t, std::string_view, std::int64_t) {
  return kType1HeaderLength;
}
std::vector<std::uint8_t> Type1FirstBytes(const SeriesFacts& facts, std::int64_t) {
  return BuildType1Header(facts.storedName, facts.sourceSize);
}
FirstHeaderRead ReadType1(ByteSource& piece, std::optional<std::int64_t>,
                          CodePageToUtf8 fromCodePage) {
  Type1Header header;
  if (!piece.Seek(0) || !IsType1Header(piece, header, fromCodePage)) {
    return {.refusal = kNotAPieceText};
  }
  return {.storedName = header.name,
          .sourceSize = header.sourceSize,
          .headerLength = kType1HeaderLength};
}

int Type2HeaderLength(std::int64_t sourceSize, std::string_view storedName, std::int64_t) {
  return LengthOf(BuildType2Header(storedName, sourceSize, 0));
}
std::uint16_t Type2CheckByte(const SeriesFacts& facts, std::int64_t divideSize) {
  return SeriesCheckByte(facts.sourcePath, facts.selfRestoring, facts.sourceSize, divideSize);
}
std::vector<std::uint8_t> Type2FirstBytes(const SeriesFacts& facts, std::int64_t divideSize) {
  return BuildType2Header(facts.storedName, facts.sourceSize,
                          static_cast<std::uint8_t>(Type2CheckByte(facts, divideSize)));
}
int CheckByteLength(const NextHeaderFacts&) {
  return 1;
}
std::vector<std::uint8_t> CheckByteHeader(const NextHeaderFacts& next) {
  return {static_cast<std::uint8_t>(next.identity)};
}
NextHeaderRead ReadCheckByte(ByteSource& piece) {
  const int checkByte = piece.ReadByte();
  const bool read = checkByte >= 0;
  return {.identified = read,
          .whole = read,
          .identity = static_cast<std::uint16_t>(read ? checkByte : 0),
          .headerLength = 1};
}
// The header goes on behind the type byte the recognition read.
FirstHeaderRead ReadType2(ByteSource& piece, std::optional<std::int64_t>,
                          CodePageToUtf8 fromCodePage) {
  Type2Header header;
  if (!piece.Seek(1) || !IsType2Header(piece, header, fromCodePage)) {
    return {.refusal = kNotAPieceText};
  }
  return {.storedName = header.name,
          .sourceSize = header.sourceSize,
          .headerLength = header.headerLength,
          .identity = header.checkByte};
}

// ---- Type3: headers with marker and identity on every piece, a trailer behind every body.

// The series identity and the recorded time take the same room whatever
// their value, so zeros stand in for them; the piece length takes the form
// of the divide size less the trailer.
int Type3HeaderLength(std::int64_t sourceSize, std::string_view storedName,
                      std::int64_t divideSize) {
  const std::int64_t pieceLength = std::max<std::int64_t>(0, divideSize - kType3TrailerLength);
  return LengthOf(BuildType3FirstHeader(sourceSize, pieceLength, 0, storedName, 0, 0));
}
std::uint16_t Type3SeriesId(const SeriesFacts& facts, std::int64_t divideSize) {
  return SeriesId(facts.sourcePath, facts.sourceSize, facts.selfRestoring, divideSize,
                  facts.fitToFreeSpace, facts.modifiedUnixSeconds);
}
std::vector<std::uint8_t> Type3FirstBytes(const SeriesFacts& facts, std::int64_t divideSize) {
  const RecordedTime time = PackTime(facts.modifiedUnixSeconds);
  return BuildType3FirstHeader(facts.sourceSize, divideSize - facts.stubSize - kType3TrailerLength,
                               Type3SeriesId(facts, divideSize), facts.storedName, time.year,
                               time.packedTime);
}

// A next header's piece length reaches to the end of the body it opens.
std::int64_t Type3NextPieceLength(const NextHeaderFacts& next, int headerLength) {
  return std::min<std::int64_t>(next.divideSize - kType3TrailerLength,
                                headerLength + next.remaining);
}
// The piece length takes its long form only when header and body pass
// 0x7FFFFFFF bytes; the longer header still leaves them past it.
int Type3NextLength(const NextHeaderFacts& next) {
  const int shortForm = Type3NextHeaderLength(next.pieceNumber);
  return Type3NextHeaderLength(next.pieceNumber, Type3NextPieceLength(next, shortForm));
}
std::vector<std::uint8_t> Type3NextBytes(const NextHeaderFacts& next) {
  return BuildType3NextHeader(Type3NextPieceLength(next, Type3NextLength(next)), next.identity,
                              next.pieceNumber);
}

NextHeaderRead ReadType3Next(ByteSource& piece) {
  const Type3NextHeader header = ParseType3NextHeader(piece);
  // The piece number is read last of the fields: read, they all were.
  return {.identified = header.pieceNumber >= 0,
          .whole = !header.broken,
          .identity = header.seriesId,
          .pieceNumber = header.pieceNumber,
          .headerLength = header.headerLength,
          .bodyLength = header.broken ? -1 : header.BodyLength()};
}

// Content flags from this value on name content this version cannot check.
constexpr int kLowestUncheckedFlags = 4;

bool SkipExact(ByteSource& src, std::size_t count) {
  std::array<std::byte, 2> buf{};
  return count <= buf.size() && src.ReadExact(std::span(buf.data(), count));
}

// Source size, flags, piece length and identity: false with `end` set when the walk ends there.
bool CheckType3FirstFields(ByteSource& src, std::int64_t& sourceSize, std::int64_t& pieceLength,
                           HeaderCheck& end) {
  sourceSize = ReadFlaggedInt64(src);
  const int flags = sourceSize < 0 ? -1 : src.ReadByte();
  if (flags >= kLowestUncheckedFlags) {
    end.end = HeaderCheck::End::kUnsupported;
    return false;
  }
  pieceLength = flags < 0 ? -1 : ReadFlaggedInt64(src);
  return pieceLength >= 0 && SkipExact(src, 2);
}

// Piece length, identity and piece number of a next header.
bool CheckType3NextFields(ByteSource& src, std::int64_t& pieceLength) {
  pieceLength = ReadFlaggedInt64(src);
  return pieceLength >= 0 && SkipExact(src, 2) && ReadFlaggedInt(src, kFlaggedForm16) >= 0;
}

HeaderCheck CheckType3(ByteSource& src, std::int64_t marker, bool firstPiece) {
  HeaderCheck end;
  std::int64_t sourceSize = -1;
  std::int64_t pieceLength = -1;
  if (firstPiece ? !CheckType3FirstFields(src, sourceSize, pieceLength, end)
                 : !CheckType3NextFields(src, pieceLength)) {
    return end;
  }
  if (!SkipInfoRecords(src)) {
    return {};
  }
  const std::int64_t headerLength = src.Position() - marker;
  if (headerLength <= 0) {
    return {.end = HeaderCheck::End::kNoLength};
  }
  // A piece length that ends inside the header's own records leaves nothing
  // sensible to sum.
  const std::int64_t body = pieceLength - headerLength;
  if (body < 0) {
    return {};
  }
  // The first piece of a single-piece series records the full capacity while
  // its body holds only the source's bytes.
  return {.end = HeaderCheck::End::kBody,
          .bodyLength = firstPiece ? std::min(body, sourceSize) : body};
}

// `lenient` keeps a header whose piece length ends inside its own records.
FirstHeaderRead ReadType3Header(ByteSource& piece, std::optional<std::int64_t> marker,
                                CodePageToUtf8 fromCodePage, bool lenient) {
  Type3FirstHeader header;
  if (marker && piece.Seek(*marker + static_cast<std::int64_t>(kType3FirstPattern.size()))) {
    header = ParseType3FirstHeader(piece, fromCodePage);
  }
  if (header.status == HeaderStatus::kOk && header.BodyLength() < 0 && !lenient) {
    header.status = HeaderStatus::kBroken;
  }
  if (header.status != HeaderStatus::kOk) {
    return {.refusal = header.RefusalText()};
  }
  return {.storedName = header.storedName,
          .sourceSize = header.sourceSize,
          .headerLength = static_cast<int>(header.headerLength),
          .pieceLength = header.pieceLength,
          .identity = header.seriesId,
          .year = header.year,
          .packedTime = header.packedTime};
}

FirstHeaderRead ReadType3(ByteSource& piece, std::optional<std::int64_t> marker,
                          CodePageToUtf8 fromCodePage) {
  return ReadType3Header(piece, marker, fromCodePage, false);
}

FirstHeaderRead CheckType3First(ByteSource& piece, std::optional<std::int64_t> marker,
                                CodePageToUtf8 fromCodePage) {
  return ReadType3Header(piece, marker, fromCodePage, true);
}

// The terms of the Type3 estimate: a piece holds the divide size less 15
// bytes while piece numbers take the short form (up to 127), less 16 after;
// the first piece's header is reckoned with 13 bytes off (12 for the remainder).
constexpr std::int64_t kShortNumberedPieceOverhead = 15;
constexpr std::int64_t kLongNumberedPieceOverhead = 16;
constexpr std::int64_t kLastShortPieceNumber = 127;
constexpr std::int64_t kFirstPieceAllowance = 13;

std::int64_t Type3MediaCount(std::int64_t s, std::int64_t d, std::int64_t h) {
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

// Exactly as the divide counts: every piece ends in the trailer, and next
// headers grow by a byte once the piece number takes the long form.
std::int64_t Type3PiecesWritten(std::int64_t sourceSize, std::int64_t divideSize,
                                std::int64_t headerLength, std::int64_t stubSize) {
  const std::int64_t pieceLength = divideSize - kType3TrailerLength;
  const std::int64_t shortBody = pieceLength - Type3NextHeaderLength(2, pieceLength);
  const std::int64_t longBody =
      pieceLength - Type3NextHeaderLength(kLastShortPieceNumber + 1, pieceLength);
  const std::int64_t firstBody = divideSize - stubSize - headerLength - kType3TrailerLength;
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

// Every typed series keeps to the numbers a Type3 next header can hold,
// which the self-restoring stubs also know as the last piece.
const std::array<PieceFormat, kDivideTypes> kFormats{{
    {.number = 0,
     .scheme = PieceScheme::kThreeDigit,
     .smallestDivideSize = 1,
     .largestDivideSize = kLargestDivideSize,
     .largestSource = std::numeric_limits<std::int64_t>::max(),
     .mostPieces = std::numeric_limits<int>::max(),
     .firstHeaderLength = NoHeaderLength,
     .buildFirstHeader = NoFirstHeader,
     .seriesIdentity = NoIdentity,
     .nextHeaderLength = NoNextHeaderLength,
     .buildNextHeader = NoNextHeader,
     .readNextHeader = NothingToRead,
     .checkHeader = Unchecked,
     .readFirstHeader = NoFirstHeaderRead,
     .mediaCount = Type0MediaCount,
     .piecesWritten = EstimatedPieces<Type0MediaCount>},
    {.number = 1,
     .scheme = PieceScheme::kDScheme,
     .firstExtension = ".d01",
     .smallestDivideSize = kTypedSmallestDivideSize,
     .largestDivideSize = kMaxDivideSize,
     .largestSource = kMaxDivideSize,
     .storedNameShort = true,
     .mostPieces = kFlaggedInt16Max,
     .firstHeaderLength = Type1HeaderLength,
     .buildFirstHeader = Type1FirstBytes,
     .seriesIdentity = NoIdentity,
     .nextHeaderLength = NoNextHeaderLength,
     .buildNextHeader = NoNextHeader,
     .readNextHeader = NothingToRead,
     .checkHeader = Unchecked,
     .readFirstHeader = ReadType1,
     .mediaCount = HeadedMediaCount<1>,
     .piecesWritten = EstimatedPieces<HeadedMediaCount<1>>},
    {.number = 2,
     .scheme = PieceScheme::kDScheme,
     .firstExtension = ".d01",
     .smallestDivideSize = kTypedSmallestDivideSize,
     .largestDivideSize = kMaxDivideSize,
     .largestSource = kMaxDivideSize,
     .storedNameWithoutBlankEnds = true,
     .identity = SeriesIdentity::kCheckByte,
     .mostPieces = kFlaggedInt16Max,
     .firstHeaderLength = Type2HeaderLength,
     .buildFirstHeader = Type2FirstBytes,
     .seriesIdentity = Type2CheckByte,
     .nextHeaderLength = CheckByteLength,
     .buildNextHeader = CheckByteHeader,
     .readNextHeader = ReadCheckByte,
     .checkHeader = Unchecked,
     .readFirstHeader = ReadType2,
     .mediaCount = HeadedMediaCount<2>,
     .piecesWritten = EstimatedPieces<HeadedMediaCount<2>>},
    {.number = 3,
     .scheme = PieceScheme::kDScheme,
     .firstExtension = ".d01",
     .smallestDivideSize = kTypedSmallestDivideSize,
     .largestDivideSize = kLargestDivideSize,
     .largestSource = std::numeric_limits<std::int64_t>::max(),
     .trailerLength = kType3TrailerLength,
     .identity = SeriesIdentity::kSeriesId,
     .recordsPieceLength = true,
     .recordsModifiedTime = true,
     .firstPattern = kType3FirstPattern,
     .nextPattern = kType3Marker,
     .mostPieces = kFlaggedInt16Max,
     .firstHeaderLength = Type3HeaderLength,
     .buildFirstHeader = Type3FirstBytes,
     .seriesIdentity = Type3SeriesId,
     .nextHeaderLength = Type3NextLength,
     .buildNextHeader = Type3NextBytes,
     .readNextHeader = ReadType3Next,
     .checkHeader = CheckType3,
     .readFirstHeader = ReadType3,
     .checkFirstHeader = CheckType3First,
     .mediaCount = Type3MediaCount,
     .piecesWritten = Type3PiecesWritten},
}};

}  // namespace

const PieceFormat& PieceFormatOf(int divideType) {
  return kFormats[IsDivideType(divideType) ? static_cast<std::size_t>(divideType) : 0];
}

std::vector<std::uint8_t> PieceFormat::Trailer(std::uint16_t bodyCrc) const {
  if (!Checksummed()) {
    return {};
  }
  return {static_cast<std::uint8_t>(bodyCrc & 0xFF), static_cast<std::uint8_t>(bodyCrc >> 8),
          kInfoTagEnd};
}

bool BelongsToSeries(const NextHeaderRead& header, std::uint16_t identity, int pieceNumber) {
  return header.identity == identity &&
         (header.pieceNumber < 0 || header.pieceNumber == pieceNumber);
}

const PieceFormat& MarkedFormat() {
  const auto checkable = [](const PieceFormat& f) {
    return f.Checksummed() && !f.nextPattern.empty();
  };
  return *std::find_if(kFormats.begin(), kFormats.end(), checkable);
}

const PieceFormat* FirstPieceFormat(int typeByte, bool markerFound) {
  switch (RecogniseFirstPiece(typeByte, markerFound)) {
    case FirstPieceKind::kUnknownType:
      return nullptr;
    case FirstPieceKind::kType3:
      return &kFormats[3];
    case FirstPieceKind::kType2:
      return &kFormats[2];
    case FirstPieceKind::kType1:
      break;
  }
  return &kFormats[1];
}

}  // namespace kv
