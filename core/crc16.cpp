#include "core/crc16.h"

#include <array>

namespace kv {
namespace {

constexpr std::uint16_t kPolynomial = 0x1021;

// tables[k][x]: what the byte x contributes when k more bytes follow it, so
// eight bytes are folded in with one lookup each and no bit loop.
using Tables = std::array<std::array<std::uint16_t, 256>, 8>;

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

std::uint16_t Fold(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
  const auto& t = kTables;
  while (n >= 8) {
    const auto b0 = static_cast<std::uint8_t>(p[0] ^ (crc >> 8));
    const auto b1 = static_cast<std::uint8_t>(p[1] ^ (crc & 0xFF));
    crc = static_cast<std::uint16_t>(t[7][b0] ^ t[6][b1] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^
                                     t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
    p += 8;
    n -= 8;
  }
  while (n-- > 0) {
    crc = static_cast<std::uint16_t>((crc << 8) ^ t[0][((crc >> 8) ^ *p++) & 0xFF]);
  }
  return crc;
}

}  // namespace

std::uint16_t Crc16::Update(const void* data, std::size_t length, bool continueRun) {
  if (!continueRun) {
    value_ = 0;
  }
  if (length > 0) {
    value_ = Fold(value_, static_cast<const std::uint8_t*>(data), length);
  }
  return value_;
}

std::uint16_t Crc16Of(const void* data, std::size_t length) {
  Crc16 crc;
  return crc.Update(data, length, false);
}

}  // namespace kv
