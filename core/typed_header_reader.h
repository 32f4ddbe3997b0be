#pragma once
// Reads and validates the headers of typed pieces from a ByteSource. Readers
// never go past the source's end: a value that runs past it makes the header
// broken. Recorded names come back sanitised (core/recorded_name.h); a name
// that is not UTF-8 goes through the `fromCodePage` the caller hands in.

#include <cstdint>
#include <string>

#include "core/byte_source.h"
#include "core/code_page.h"

namespace kv {

inline constexpr char kCompressedText[] = "本バージョンでは圧縮されたファイルは復元できません。";
inline constexpr char kEncryptedText[] = "本バージョンでは暗号化されたファイルは復元できません。";
inline constexpr char kNeedsVersionFormat[] = "このファイルの復元には、ver.%d.%02d以降が必要です。";
inline constexpr char kBrokenPieceText[] = "分割ファイルが壊れています";
inline constexpr char kUnknownTypeText[] = "本バージョンでは未対応の分割ファイルです。";
inline constexpr char kNotAPieceText[] = "分割ファイルでないか、ファイルが壊れています。";

// What a first piece without a found Type3 marker is, by its first byte.
enum class FirstPieceKind { kType1, kType2, kType3, kUnknownType };
// typeByte: the first byte (0-255, or -1 when there is none). Type2 or Type3
// by the byte 2 or 3; otherwise, with a marker found or a byte outside 4-9
// (bytes from 128 count as below 4), Type1; 4-9 is a type not known here.
FirstPieceKind RecogniseFirstPiece(int typeByte, bool markerFound);

struct Type1Header {
  std::string name;  // sanitised
  std::int64_t sourceSize = 0;
  int headerLength = 24;
};
// Shape test of the 24 bytes at the source's current position (the start of
// the first piece). True: `out` holds the name and size. The position is
// left where it was in both cases.
bool IsType1Header(ByteSource& src, Type1Header& out, CodePageToUtf8 fromCodePage = nullptr);

struct Type2Header {
  std::uint8_t checkByte = 0;
  std::string name;  // sanitised
  std::int64_t sourceSize = 0;
  int headerLength = 0;  // type byte, check byte, size, blank, name, 0x01
};
// Shape test from just behind the type byte: the check byte, then at most
// 300 bytes holding the hexadecimal size, a separator and the name up to
// 0x01. True: `out` is filled. The position is left where it was.
bool IsType2Header(ByteSource& src, Type2Header& out, CodePageToUtf8 fromCodePage = nullptr);

enum class HeaderStatus {
  kOk,
  kCompressed,         // ContentFlags bit 0
  kEncrypted,          // ContentFlags bit 1 (bit 0 clear)
  kNeedsNewerVersion,  // a RequiredVersion record above this program's
  kBroken,             // a field or record runs past the end, or a bad name
};

struct Type3FirstHeader {
  HeaderStatus status = HeaderStatus::kBroken;
  std::int64_t sourceSize = -1;
  int contentFlags = 0;
  std::int64_t pieceLength = -1;
  std::uint16_t seriesId = 0;
  std::string storedName;  // sanitised
  std::uint16_t year = 0;  // 0: no ModifiedTime record
  std::uint32_t packedTime = 0;
  int requiredMajor = 0;  // the refused RequiredVersion
  int requiredMinor = 0;
  // From the type byte to behind the end tag (valid with kOk).
  std::int64_t headerLength = 0;
  // pieceLength − headerLength; negative when the header claims a piece that
  // ends inside its own records, which callers treat as broken.
  std::int64_t BodyLength() const { return pieceLength - headerLength; }
  // The refusal text for a status other than kOk ("" for kOk).
  std::string RefusalText() const;
};
// Reads from just behind the six-byte first-piece pattern. A SourceName
// record is required; one longer than 259 bytes, or one that sanitises to
// nothing, is broken. RequiredVersion needs at least 2 data bytes and
// ModifiedTime 6; records are always skipped by their stored length.
Type3FirstHeader ParseType3FirstHeader(ByteSource& src, CodePageToUtf8 fromCodePage = nullptr);

struct Type3NextHeader {
  bool broken = true;
  std::int64_t pieceLength = -1;
  std::uint16_t seriesId = 0;
  std::int32_t pieceNumber = -1;
  // From the marker's "-" to behind the end tag (valid when not broken).
  std::int64_t headerLength = 0;
  // Negative when PieceLength ends inside the header itself.
  std::int64_t BodyLength() const { return pieceLength - headerLength; }
};
// Reads from just behind the five-byte marker; records are skipped by their
// stored length.
Type3NextHeader ParseType3NextHeader(ByteSource& src);

// Skips the information records of a header or trailer up to and including
// the end tag; false when a tag, length or record runs past the end.
bool SkipInfoRecords(ByteSource& src);

}  // namespace kv
