#include "core/flagged_int.h"

#include <array>

namespace kv {
namespace {

void AppendBigEndian(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

// Reads `bytes` bytes big-endian; false on a short read.
bool ReadBigEndian(ByteSource& src, int bytes, std::uint64_t& value) {
  std::array<std::byte, 8> buf{};
  if (!src.ReadExact(std::span(buf.data(), static_cast<std::size_t>(bytes)))) {
    return false;
  }
  value = 0;
  for (int i = 0; i < bytes; ++i) {
    value = (value << 8) | static_cast<std::uint8_t>(buf[static_cast<std::size_t>(i)]);
  }
  return true;
}

// The shared shape: `width` bytes short, 2 × `width` long, long values offset
// by the short form's range.
bool AppendFlagged(std::vector<std::uint8_t>& out, std::int64_t value, int width,
                   std::uint64_t shortLimit, std::uint64_t maxValue) {
  if (value < 0 || static_cast<std::uint64_t>(value) > maxValue) {
    return false;
  }
  const auto v = static_cast<std::uint64_t>(value);
  if (v < shortLimit) {
    AppendBigEndian(out, v, width);
  } else {
    const std::uint64_t topBit = std::uint64_t{1} << (16 * width - 1);
    AppendBigEndian(out, topBit | (v - shortLimit), 2 * width);
  }
  return true;
}

// Reads the short form's first byte and, when its top bit says so, the rest of
// the long form. Returns -1 on a short read.
std::int64_t ReadFlagged(ByteSource& src, int width) {
  std::uint64_t first = 0;
  if (!ReadBigEndian(src, width, first)) {
    return -1;
  }
  const int shortBits = 8 * width;
  const std::uint64_t shortTop = std::uint64_t{1} << (shortBits - 1);
  if ((first & shortTop) == 0) {
    return static_cast<std::int64_t>(first);
  }
  std::uint64_t rest = 0;
  if (!ReadBigEndian(src, width, rest)) {
    return -1;
  }
  const std::uint64_t payload = ((first & (shortTop - 1)) << shortBits) | rest;
  const std::uint64_t value = payload + shortTop;
  if (value > static_cast<std::uint64_t>(INT64_MAX)) {
    return -1;
  }
  return static_cast<std::int64_t>(value);
}

}  // namespace

bool AppendFlaggedInt16(std::vector<std::uint8_t>& out, std::int64_t value) {
  return AppendFlagged(out, value, 1, 0x80, kFlaggedInt16Max);
}

bool AppendFlaggedInt32(std::vector<std::uint8_t>& out, std::int64_t value) {
  return AppendFlagged(out, value, 2, 0x8000, kFlaggedInt32Max);
}

bool AppendFlaggedInt64(std::vector<std::uint8_t>& out, std::int64_t value) {
  return AppendFlagged(out, value, 4, 0x80000000ULL, static_cast<std::uint64_t>(INT64_MAX));
}

std::int32_t ReadFlaggedInt(ByteSource& src, int form) {
  if (form == kFlaggedForm16) {
    return static_cast<std::int32_t>(ReadFlagged(src, 1));
  }
  if (form == kFlaggedForm32) {
    // The long form tops out at 0x80007FFF, above INT32_MAX: such a value is
    // no length any header could carry and reads as -1 like a short read.
    const std::int64_t v = ReadFlagged(src, 2);
    return v > INT32_MAX ? -1 : static_cast<std::int32_t>(v);
  }
  return 0;
}

std::int64_t ReadFlaggedInt64(ByteSource& src) {
  return ReadFlagged(src, 4);
}

}  // namespace kv
