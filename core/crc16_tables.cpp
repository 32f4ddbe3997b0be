// The portable CRC-16/XMODEM: slicing by 16, one table lookup per byte and no
// bit loop, sixteen bytes folded per round.

#include <array>

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

}  // namespace

std::uint16_t FoldTables(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
  const auto& t = kTables;
  while (n >= kSlices) {
    // The running value meets the first two bytes of the round.
    unsigned sum = t[15][static_cast<std::uint8_t>(p[0] ^ (crc >> 8))] ^
                   t[14][static_cast<std::uint8_t>(p[1] ^ (crc & 0xFF))];
    for (std::size_t i = 2; i < kSlices; ++i) {
      sum ^= t[kSlices - 1 - i][p[i]];
    }
    crc = static_cast<std::uint16_t>(sum);
    p += kSlices;
    n -= kSlices;
  }
  while (n-- > 0) {
    crc = static_cast<std::uint16_t>((crc << 8) ^ t[0][((crc >> 8) ^ *p++) & 0xFF]);
  }
  return crc;
}

}  // namespace kv::crc16
