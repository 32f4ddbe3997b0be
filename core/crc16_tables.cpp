// The portable CRC-16/XMODEM: slicing by 16, one table lookup per byte and no
// bit loop, sixteen bytes folded per round.

#include <array>
#include <bit>
#include <cstring>

#include "core/crc16_paths.h"

namespace kv::crc16 {
namespace {

constexpr std::uint16_t kPolynomial = 0x1021;
constexpr std::size_t kSlices = 16;

// tables[k][x]: what the byte x contributes when k more bytes follow it.
using Tables = std::array<std::array<std::uint16_t, 256>, kSlices>;

constexpr Tables MakeTables() {
  Tables tables{};
  for (unsigned x = 0; x < 256; ++x) {
    auto crc = static_cast<std::uint16_t>(x << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ kPolynomial : crc << 1);
    }
    tables[0][x] = crc;
  }
  for (std::size_t k = 1; k < tables.size(); ++k) {
    for (unsigned x = 0; x < 256; ++x) {
      const std::uint16_t prev = tables[k - 1][x];
      tables[k][x] = static_cast<std::uint16_t>((prev << 8) ^ tables[0][prev >> 8]);
    }
  }
  return tables;
}

constexpr Tables kTables = MakeTables();

// Eight bytes as they lie in memory, the first in the lowest bits.
std::uint64_t LoadBytes(const std::uint8_t* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return std::endian::native == std::endian::little ? word : __builtin_bswap64(word);
}

// The sum of the lookups for the eight bytes of `word`, the first of which
// has `last` + 7 bytes after it.
unsigned LookUpWord(std::uint64_t word, std::size_t last) {
  unsigned sum = 0;
#pragma GCC unroll 8
  for (std::size_t i = 0; i < 8; ++i, word >>= 8) {
    sum ^= kTables[last + 7 - i][word & 0xFF];
  }
  return sum;
}

}  // namespace

std::uint16_t FoldTables(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
  const auto& t = kTables;
  for (; n >= kSlices; p += kSlices, n -= kSlices) {
    // The running value meets the first two bytes of the round.
    const std::uint64_t first =
        LoadBytes(p) ^ static_cast<std::uint64_t>((crc >> 8) | ((crc & 0xFF) << 8));
    crc = static_cast<std::uint16_t>(LookUpWord(first, 8) ^ LookUpWord(LoadBytes(p + 8), 0));
  }
  while (n-- > 0) {
    crc = static_cast<std::uint16_t>((crc << 8) ^ t[0][((crc >> 8) ^ *p++) & 0xFF]);
  }
  return crc;
}

}  // namespace kv::crc16
