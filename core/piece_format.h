#pragma once
// One description per divide type: how its pieces are named, how large they
// may be, what header opens them and what trailer ends them, what ties them
// to one series, how a reader finds and reads a first header, and the counts
// a divide summary shows. Engines, planner and check ask the description of
// a type instead of switching on its number.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_source.h"
#include "core/code_page.h"
#include "core/piece_names.h"

namespace kv {

// What ties the pieces after the first to their series.
enum class SeriesIdentity {
  kNone,       // nothing: the names alone
  kCheckByte,  // one byte opening every following piece
  kSeriesId,   // a 16-bit identity and the piece number in every next header
};

// What the bytes of a series' first header are made from besides its divide size.
struct SeriesFacts {
  std::string sourcePath{};  // as the user gave it
  std::string storedName{};  // the name the header records
  std::int64_t sourceSize = 0;
  std::int64_t modifiedUnixSeconds = 0;
  bool selfRestoring = false;
  bool fitToFreeSpace = false;
  std::int64_t stubSize = 0;
};

// What a following piece's header is made from.
struct NextHeaderFacts {
  int pieceNumber = 2;
  std::int64_t divideSize = 0;  // of this piece
  std::int64_t remaining = 0;   // source bytes still to be written
  std::uint16_t identity = 0;   // SeriesId, or the check byte
};

// A first header as read: empty `refusal` when it was read.
struct FirstHeaderRead {
  std::string refusal{};
  std::string storedName{};
  std::int64_t sourceSize = 0;
  int headerLength = 0;          // from the marker (or the piece's start) to the body
  std::int64_t pieceLength = 0;  // recorded piece length (0 when none is recorded)
  std::uint16_t identity = 0;    // SeriesId or check byte (0 when none)
  std::uint16_t year = 0;        // 0: no recorded time
  std::uint32_t packedTime = 0;
};

// A following piece's header as read.
struct NextHeaderRead {
  // The fields that tie the piece to its series were read.
  bool identified = false;
  // The whole header was read (its records too).
  bool whole = false;
  std::uint16_t identity = 0;
  std::int32_t pieceNumber = -1;  // -1: the header carries none
  // From the marker (or the piece's start) to the body.
  std::int64_t headerLength = 0;
  // As the header records it (negative when it ends inside the header); -1
  // when none is recorded and the body runs to the piece's end.
  std::int64_t bodyLength = -1;
};

// Where a validity check's walk over a header ended.
struct HeaderCheck {
  enum class End {
    kBody,         // at the body, `bodyLength` bytes long
    kBroken,       // a field or record runs past the end, or the length ends inside the header
    kUnsupported,  // content this version cannot check
    kNoLength,     // the source reported a position that gives the header no length
  };
  End end = End::kBroken;
  std::int64_t bodyLength = 0;
};

// True when a following piece read as `header` is piece `pieceNumber` of the
// series whose first header carried `identity`.
bool BelongsToSeries(const NextHeaderRead& header, std::uint16_t identity, int pieceNumber);

struct PieceFormat {
  int number = 0;  // the divide type: 0..3
  // Names of later pieces; Type0's scheme and first extension follow the settings.
  PieceScheme scheme = PieceScheme::kThreeDigit;
  std::string_view firstExtension{};  // empty: chosen by the settings
  std::int64_t smallestDivideSize = 1;
  std::int64_t largestDivideSize = 0;
  std::int64_t largestSource = 0;  // larger sources are refused
  bool storedNameWithoutBlankEnds = false;
  // The header records the source's short (8.3) name whatever name was chosen.
  bool storedNameShort = false;
  // Bytes behind every body (CRC-16 and end tag); 0 when pieces are unchecked.
  int trailerLength = 0;
  SeriesIdentity identity = SeriesIdentity::kNone;
  // Every header records its piece's length (else the body runs to the file's end).
  bool recordsPieceLength = false;
  bool recordsModifiedTime = false;
  // The patterns a reader scans for; empty when the header stands at the start.
  std::string_view firstPattern{};
  std::string_view nextPattern{};
  // The most pieces a series can number, in its names or its next headers.
  std::int64_t mostPieces = 0;

  // The first header's length as the summary reckons it (0 for raw slices).
  int (*firstHeaderLength)(std::int64_t sourceSize, std::string_view storedName,
                           std::int64_t divideSize) = nullptr;
  // The first header's bytes for a first piece of `divideSize`; empty when
  // the facts cannot be encoded.
  std::vector<std::uint8_t> (*buildFirstHeader)(const SeriesFacts& facts,
                                                std::int64_t divideSize) = nullptr;
  // The series identity the first piece of `divideSize` carries (0 for none).
  std::uint16_t (*seriesIdentity)(const SeriesFacts& facts, std::int64_t divideSize) = nullptr;
  int (*nextHeaderLength)(const NextHeaderFacts& next) = nullptr;
  std::vector<std::uint8_t> (*buildNextHeader)(const NextHeaderFacts& next) = nullptr;
  // Reads a following piece's header from its start, or from just behind
  // the nextPattern a scan found.
  NextHeaderRead (*readNextHeader)(ByteSource& piece) = nullptr;
  // The validity check's walk from just behind the pattern found at
  // `marker`: more lenient than the readers (a first header needs no name,
  // and any content flags below 4 pass); a first body never exceeds the source.
  HeaderCheck (*checkHeader)(ByteSource& piece, std::int64_t marker, bool firstPiece) = nullptr;
  // Reads the first header from the piece's start, or from behind the
  // `marker` a scan for firstPattern found.
  FirstHeaderRead (*readFirstHeader)(ByteSource& piece, std::optional<std::int64_t> marker,
                                     CodePageToUtf8 fromCodePage) = nullptr;
  // The first header as the check's series walk reads it: as readFirstHeader,
  // but a piece length that ends inside the header's own records is kept (the
  // walk counts its body as empty). Only where a check can walk a series
  // (MarkedFormat); nullptr elsewhere.
  FirstHeaderRead (*checkFirstHeader)(ByteSource& piece, std::optional<std::int64_t> marker,
                                      CodePageToUtf8 fromCodePage) = nullptr;
  // The media a divide of `sourceSize` at `divideSize` takes with a first
  // header of `headerLength` bytes, as the summary estimates them.
  std::int64_t (*mediaCount)(std::int64_t sourceSize, std::int64_t divideSize,
                             std::int64_t headerLength) = nullptr;
  // The pieces the divide writes at a fixed `divideSize` with a stub of `stubSize`.
  std::int64_t (*piecesWritten)(std::int64_t sourceSize, std::int64_t divideSize,
                                std::int64_t headerLength, std::int64_t stubSize) = nullptr;

  bool RawSlices() const { return number == 0; }
  bool Checksummed() const { return trailerLength > 0; }
  // The trailerLength bytes behind a body whose CRC-16 is `bodyCrc`: the
  // CRC-16, low byte first, and the end tag; none for unchecked pieces.
  std::vector<std::uint8_t> Trailer(std::uint16_t bodyCrc) const;
};

// The divide types there are: 0 .. kDivideTypes − 1.
inline constexpr int kDivideTypes = 4;
inline constexpr bool IsDivideType(int divideType) {
  return divideType >= 0 && divideType < kDivideTypes;
}

// The description of divide type `divideType`; a number outside 0..3 gets
// Type0's (raw slices).
const PieceFormat& PieceFormatOf(int divideType);

// The format whose every piece carries a marker a reader scans for and a
// checksum behind its body: the pieces a validity check can verify alone.
const PieceFormat& MarkedFormat();

// The format whose header a first piece opens with, by its first byte
// (-1: none) and whether a scan found the Type3 marker; nullptr for a type
// this version does not know.
const PieceFormat* FirstPieceFormat(int typeByte, bool markerFound);

}  // namespace kv
