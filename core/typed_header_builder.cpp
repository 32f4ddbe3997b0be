#include "core/typed_header_builder.h"

#include <cstdio>
#include <string>

#include "core/crc16.h"
#include "core/flagged_int.h"
#include "core/piece_names.h"

namespace kv {
namespace {

void Append(std::vector<std::uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

void AppendLe16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
}

}  // namespace

std::vector<std::uint8_t> BuildType1Header(std::string_view shortName, std::int64_t sourceSize) {
  if (shortName.empty() || shortName.size() > 12 || sourceSize < 0 ||
      sourceSize > 9'999'999'999LL) {
    return {};
  }
  std::vector<std::uint8_t> out;
  out.reserve(kType1HeaderLength);
  Append(out, shortName);
  out.resize(12, ' ');
  out.push_back(' ');
  const std::string size = std::to_string(sourceSize);
  out.resize(out.size() + (10 - size.size()), ' ');
  Append(out, size);
  out.push_back(' ');
  return out;
}

std::vector<std::uint8_t> BuildType2Header(std::string_view storedName, std::int64_t sourceSize,
                                           std::uint8_t checkByte) {
  char size[16];
  std::snprintf(size, sizeof size, "%X", static_cast<unsigned>(sourceSize & 0xFFFFFFFF));
  std::vector<std::uint8_t> out;
  out.reserve(storedName.size() + 16);
  out.push_back(kType2Byte);
  out.push_back(checkByte);
  Append(out, size);
  out.push_back(' ');
  Append(out, storedName);
  out.push_back(0x01);
  return out;
}

std::vector<std::uint8_t> BuildType3FirstHeader(std::int64_t sourceSize, std::int64_t pieceLength,
                                                std::uint16_t seriesId, std::string_view storedName,
                                                std::uint16_t year, std::uint32_t packedTime) {
  std::vector<std::uint8_t> out;
  out.reserve(storedName.size() + 40);
  Append(out, kType3FirstPattern);
  if (!AppendFlaggedInt64(out, sourceSize)) {
    return {};
  }
  out.push_back(0);  // ContentFlags: neither compressed nor encrypted
  if (!AppendFlaggedInt64(out, pieceLength)) {
    return {};
  }
  AppendLe16(out, seriesId);
  out.push_back(kInfoTagSourceName);
  if (!AppendFlaggedInt16(out, static_cast<std::int64_t>(storedName.size()))) {
    return {};
  }
  Append(out, storedName);
  out.push_back(kInfoTagModifiedTime);
  out.push_back(6);
  AppendLe16(out, year);
  AppendLe32(out, packedTime);
  out.push_back(kInfoTagEnd);
  return out;
}

int Type3NextHeaderLength(int pieceNumber, std::int64_t pieceLength) {
  return 5 + (pieceLength > 0x7FFFFFFF ? 8 : 4) + 2 + (pieceNumber >= 128 ? 2 : 1) + 1;
}

std::vector<std::uint8_t> BuildType3NextHeader(std::int64_t pieceLength, std::uint16_t seriesId,
                                               int pieceNumber) {
  std::vector<std::uint8_t> out;
  out.reserve(20);
  Append(out, kType3Marker);
  if (!AppendFlaggedInt64(out, pieceLength)) {
    return {};
  }
  AppendLe16(out, seriesId);
  if (!AppendFlaggedInt16(out, pieceNumber)) {
    return {};
  }
  out.push_back(kInfoTagEnd);
  return out;
}

std::uint8_t SeriesCheckByte(std::string_view sourcePath, bool selfRestoring,
                             std::int64_t sourceSize, std::int64_t divideSize) {
  const std::uint16_t k = Crc16Of(sourcePath);
  const unsigned sum = (k >> 8) + (k & 0xFFu) + (selfRestoring ? 4u : 0u) + 2u +
                       static_cast<unsigned>(sourceSize & 0xFF) +
                       static_cast<unsigned>(divideSize & 0xFF);
  return static_cast<std::uint8_t>(sum & 0xFF);
}

std::uint16_t SeriesId(std::string_view sourcePath, std::int64_t sourceSize, bool selfRestoring,
                       std::int64_t divideSize, bool fitToFreeSpace,
                       std::int64_t modifiedUnixSeconds) {
  std::string text(sourcePath);
  text += FormatGrouped(sourceSize);
  text += selfRestoring ? '1' : '0';
  text += '3';
  text += std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(divideSize)));
  text += fitToFreeSpace ? '1' : '0';
  text +=
      std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(modifiedUnixSeconds)));
  return Crc16Of(text);
}

}  // namespace kv
