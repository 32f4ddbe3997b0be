#include "core/typed_header_reader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "core/flagged_int.h"
#include "core/program_version.h"
#include "core/recorded_name.h"
#include "core/typed_header_builder.h"
#include "core/utf8.h"

namespace kv {
namespace {

// Reads exactly n bytes, never past the end; false when they are not there.
bool ReadBytes(ByteSource& src, std::size_t n, std::string& out) {
  out.resize(n);
  return src.ReadExact(std::as_writable_bytes(std::span(out.data(), n)));
}

// Steps over n bytes by reading them, so a source whose seek allows moving
// beyond its end still reports a record that runs past it.
bool SkipBytes(ByteSource& src, std::int64_t n) {
  std::array<std::byte, 512> buf{};
  while (n > 0) {
    const auto step = static_cast<std::size_t>(std::min<std::int64_t>(n, buf.size()));
    if (!src.ReadExact(std::span(buf.data(), step))) {
      return false;
    }
    n -= static_cast<std::int64_t>(step);
  }
  return true;
}

bool ReadLe16(ByteSource& src, std::uint16_t& value) {
  std::array<std::byte, 2> b{};
  if (!src.ReadExact(b)) {
    return false;
  }
  value =
      static_cast<std::uint16_t>(static_cast<unsigned>(b[0]) | static_cast<unsigned>(b[1]) << 8);
  return true;
}

std::uint32_t Le32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) {
    v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  }
  return v;
}

bool IsHexDigit(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The name of a Type2 header may not hold control bytes or the characters a
// Windows file name cannot. A name in CP932 is looked at character by
// character, so the second byte of a double-byte character (which may be 0x5C
// or 0x7C) is not taken for "\" or "|".
bool IsType2NameAcceptable(std::string_view name) {
  const bool dbcs = !IsValidUtf8(name);
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (dbcs && IsCp932LeadByte(c) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (c < 0x20 ||
        std::string_view("\"*/:<>?\\|").find(static_cast<char>(c)) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

// The required-version record: kNeedsNewerVersion (the version kept in `h`)
// when this program is older than the one the series asks for. The record is
// judged whole: one that runs past the end is broken, whatever it asks.
HeaderStatus ReadRequiredVersionRecord(ByteSource& src, std::int32_t length, Type3FirstHeader& h) {
  std::string data;
  if (length < 2 || !ReadBytes(src, 2, data) || !SkipBytes(src, length - 2)) {
    return HeaderStatus::kBroken;
  }
  const int major = static_cast<signed char>(data[0]);
  const int minor = static_cast<signed char>(data[1]);
  if (major > kProgramVersionMajor ||
      (major == kProgramVersionMajor && minor > kProgramVersionMinor)) {
    h.requiredMajor = major;
    h.requiredMinor = minor;
    return HeaderStatus::kNeedsNewerVersion;
  }
  return HeaderStatus::kOk;
}

// One record of the first header, its tag and length already read.
HeaderStatus ReadFirstHeaderRecord(ByteSource& src, int tag, std::int32_t length,
                                   Type3FirstHeader& h, CodePageToUtf8 fromCodePage) {
  std::string data;
  switch (tag) {
    case kInfoTagSourceName: {
      if (static_cast<std::size_t>(length) > kMaxRecordedNameBytes ||
          !ReadBytes(src, static_cast<std::size_t>(length), data)) {
        return HeaderStatus::kBroken;
      }
      auto name = SanitizeRecordedName(data, fromCodePage);
      if (!name) {
        return HeaderStatus::kBroken;
      }
      h.storedName = std::move(*name);
      return HeaderStatus::kOk;
    }
    case kInfoTagRequiredVersion:
      return ReadRequiredVersionRecord(src, length, h);
    case kInfoTagModifiedTime:
      if (length < 6 || !ReadBytes(src, 6, data) || !SkipBytes(src, length - 6)) {
        return HeaderStatus::kBroken;
      }
      h.year = static_cast<std::uint16_t>(static_cast<unsigned char>(data[0]) |
                                          static_cast<unsigned char>(data[1]) << 8);
      h.packedTime = Le32(data, 2);
      return HeaderStatus::kOk;
    default:
      return SkipBytes(src, length) ? HeaderStatus::kOk : HeaderStatus::kBroken;
  }
}

// Reads records up to the end tag for the first header. Returns the status;
// fills the name, time and refused version into `h`.
HeaderStatus ReadFirstHeaderRecords(ByteSource& src, Type3FirstHeader& h,
                                    CodePageToUtf8 fromCodePage) {
  bool haveName = false;
  for (;;) {
    const int tag = src.ReadByte();
    if (tag < 0) {
      return HeaderStatus::kBroken;
    }
    if (tag == kInfoTagEnd) {
      return haveName ? HeaderStatus::kOk : HeaderStatus::kBroken;
    }
    const std::int32_t length = ReadFlaggedInt(src, kFlaggedForm16);
    if (length < 0) {
      return HeaderStatus::kBroken;
    }
    const HeaderStatus status = ReadFirstHeaderRecord(src, tag, length, h, fromCodePage);
    if (status != HeaderStatus::kOk) {
      return status;
    }
    haveName = haveName || tag == kInfoTagSourceName;
  }
}

}  // namespace

FirstPieceKind RecogniseFirstPiece(int typeByte, bool markerFound) {
  if (typeByte == kType2Byte) {
    return FirstPieceKind::kType2;
  }
  if (typeByte == kType3Byte) {
    return FirstPieceKind::kType3;
  }
  if (markerFound || typeByte < 4 || typeByte > 9) {
    return FirstPieceKind::kType1;
  }
  return FirstPieceKind::kUnknownType;
}

bool IsType1Header(ByteSource& src, Type1Header& out, CodePageToUtf8 fromCodePage) {
  const std::int64_t start = src.Position();
  std::array<char, kType1HeaderLength> h{};
  const bool complete = src.ReadExact(std::as_writable_bytes(std::span(h)));
  src.Seek(start);
  if (!complete) {
    return false;
  }
  const auto at = [&h](std::size_t i) { return static_cast<unsigned char>(h[i]); };
  if (at(0) == ' ') {
    return false;
  }
  std::size_t nameEnd = 12;
  for (std::size_t i = 0; i < 12; ++i) {
    if (at(i) < 0x20) {
      return false;
    }
    if (at(i) == ' ' && nameEnd == 12) {
      nameEnd = i;
    } else if (at(i) != ' ' && nameEnd != 12) {
      return false;  // a name character after the padding began
    }
  }
  if (at(12) != ' ' || at(23) != ' ') {
    return false;
  }
  std::size_t i = 13;
  while (i < 23 && at(i) == ' ') {
    ++i;
  }
  if (i == 23) {
    return false;  // no digits
  }
  std::int64_t size = 0;
  for (; i < 23; ++i) {
    if (at(i) < '0' || at(i) > '9') {
      return false;
    }
    size = size * 10 + (at(i) - '0');
  }
  auto name = SanitizeRecordedName(std::string_view(h.data(), nameEnd), fromCodePage);
  if (!name) {
    return false;
  }
  out.name = std::move(*name);
  out.sourceSize = size;
  out.headerLength = kType1HeaderLength;
  return true;
}

bool IsType2Header(ByteSource& src, Type2Header& out, CodePageToUtf8 fromCodePage) {
  constexpr std::size_t kWindow = 300;
  const std::int64_t start = src.Position();
  std::array<char, kWindow + 1> buf{};
  const std::int64_t got = src.Read(std::as_writable_bytes(std::span(buf)));
  src.Seek(start);
  if (got < 1) {
    return false;
  }
  const auto checkByte = static_cast<std::uint8_t>(buf[0]);
  const std::string_view w(buf.data() + 1, static_cast<std::size_t>(got - 1));
  const auto at = [&w](std::size_t i) { return static_cast<unsigned char>(w[i]); };

  // Size: up to nine uppercase hex digits, then the separator.
  std::size_t i = 0;
  std::int64_t size = 0;
  for (; i < w.size() && i < 9 && at(i) != ' '; ++i) {
    if (!IsHexDigit(at(i))) {
      return false;
    }
    size = size * 16 + (at(i) <= '9' ? at(i) - '0' : at(i) - 'A' + 10);
  }
  const std::size_t nameStart = i + 1;  // behind the separator
  if (nameStart >= w.size() || at(nameStart) == ' ') {
    return false;
  }
  const std::size_t endByte = w.find('\x01', nameStart);
  if (endByte == std::string_view::npos || at(endByte - 1) == ' ') {
    return false;
  }
  const std::string_view recorded = w.substr(nameStart, endByte - nameStart);
  if (!IsType2NameAcceptable(recorded)) {
    return false;
  }
  auto name = SanitizeRecordedName(recorded, fromCodePage);
  if (!name) {
    return false;
  }
  out.checkByte = checkByte;
  out.name = std::move(*name);
  out.sourceSize = size;
  out.headerLength = static_cast<int>(1 + 1 + endByte + 1);
  return true;
}

std::string Type3FirstHeader::RefusalText() const {
  switch (status) {
    case HeaderStatus::kOk:
      return {};
    case HeaderStatus::kCompressed:
      return kCompressedText;
    case HeaderStatus::kEncrypted:
      return kEncryptedText;
    case HeaderStatus::kNeedsNewerVersion: {
      char text[128];
      std::snprintf(text, sizeof text, kNeedsVersionFormat, requiredMajor, requiredMinor);
      return text;
    }
    case HeaderStatus::kBroken:
      break;
  }
  return kBrokenPieceText;
}

Type3FirstHeader ParseType3FirstHeader(ByteSource& src, CodePageToUtf8 fromCodePage) {
  Type3FirstHeader h;
  const std::int64_t markerPosition =
      src.Position() - static_cast<std::int64_t>(kType3FirstPattern.size());
  h.sourceSize = ReadFlaggedInt64(src);
  if (h.sourceSize < 0) {
    return h;
  }
  h.contentFlags = src.ReadByte();
  if (h.contentFlags < 0) {
    return h;
  }
  if ((h.contentFlags & 1) != 0) {
    h.status = HeaderStatus::kCompressed;
    return h;
  }
  if ((h.contentFlags & 2) != 0) {
    h.status = HeaderStatus::kEncrypted;
    return h;
  }
  h.pieceLength = ReadFlaggedInt64(src);
  if (h.pieceLength < 0 || !ReadLe16(src, h.seriesId)) {
    return h;
  }
  h.status = ReadFirstHeaderRecords(src, h, fromCodePage);
  if (h.status == HeaderStatus::kOk) {
    h.headerLength = src.Position() - markerPosition;
  }
  return h;
}

Type3NextHeader ParseType3NextHeader(ByteSource& src) {
  Type3NextHeader h;
  const std::int64_t markerPosition =
      src.Position() - static_cast<std::int64_t>(kType3Marker.size());
  h.pieceLength = ReadFlaggedInt64(src);
  if (h.pieceLength < 0 || !ReadLe16(src, h.seriesId)) {
    return h;
  }
  h.pieceNumber = ReadFlaggedInt(src, kFlaggedForm16);
  if (h.pieceNumber < 0 || !SkipInfoRecords(src)) {
    return h;
  }
  h.headerLength = src.Position() - markerPosition;
  h.broken = false;
  return h;
}

bool SkipInfoRecords(ByteSource& src) {
  for (;;) {
    const int tag = src.ReadByte();
    if (tag < 0) {
      return false;
    }
    if (tag == kInfoTagEnd) {
      return true;
    }
    const std::int32_t length = ReadFlaggedInt(src, kFlaggedForm16);
    if (length < 0 || !SkipBytes(src, length)) {
      return false;
    }
  }
}

}  // namespace kv
