#include "core/crc16.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace kv {
namespace {

// Bit by bit, straight from the polynomial 0x1021.
std::uint16_t BitwiseCrc(const std::vector<std::uint8_t>& data, std::uint16_t crc = 0) {
  for (const std::uint8_t b : data) {
    crc ^= static_cast<std::uint16_t>(b << 8);
    for (int i = 0; i < 8; ++i) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
  }
  return crc;
}

TEST(Crc16, KnownValuesAndSplitFeeding) {
  Crc16 crc;
  EXPECT_EQ(crc.Update(nullptr, 0, false), 0);
  EXPECT_EQ(Crc16Of(std::string("123456789")), 0x31C3);
  EXPECT_EQ(crc.Update("1234", 4, false), BitwiseCrc({'1', '2', '3', '4'}));
  EXPECT_EQ(crc.Update("56789", 5, true), 0x31C3);
  EXPECT_EQ(crc.Value(), 0x31C3);
  // A fresh call forgets the run before it.
  EXPECT_EQ(crc.Update("123456789", 9, false), 0x31C3);
  EXPECT_EQ(crc.Update(nullptr, 0, false), 0);
}

TEST(Crc16, TableMatchesBitwiseOnRandomDataInAnySplit) {
  for (std::uint32_t seed = 1; seed <= 20; ++seed) {
    const auto data = test::RandomBytes(seed * 97 + seed % 8, seed);
    const std::uint16_t expected = BitwiseCrc(data);
    EXPECT_EQ(Crc16Of(data), expected) << "seed " << seed;
    // Uneven portions exercise the eight-byte rounds and the tail alike.
    Crc16 crc;
    crc.Update(nullptr, 0, false);
    std::size_t at = 0;
    std::size_t step = 1;
    while (at < data.size()) {
      const std::size_t n = std::min(step, data.size() - at);
      crc.Update(data.data() + at, n, true);
      at += n;
      step = step * 3 % 23 + 1;
    }
    EXPECT_EQ(crc.Value(), expected) << "seed " << seed;
  }
}

TEST(Crc16, LongPortionsCarryTheRunningValueAcrossEveryLength) {
  // Portions long enough for the block-folding path, each entered with the
  // running value of the portions before it, at every length around 16-byte
  // multiples.
  const auto data = test::RandomBytes(200000, 77);
  for (std::size_t length = 60; length <= 200; ++length) {
    const std::span<const std::uint8_t> part(data.data(), length);
    ASSERT_EQ(Crc16Of(part), BitwiseCrc({data.begin(), data.begin() + length})) << length;
  }
  Crc16 crc;
  crc.Update(nullptr, 0, false);
  std::size_t at = 0;
  for (std::size_t step = 1024; at < data.size(); step = step == 1024 ? 777 : 1024) {
    const std::size_t n = std::min(step, data.size() - at);
    crc.Update(data.data() + at, n, true);
    at += n;
  }
  EXPECT_EQ(crc.Value(), BitwiseCrc(data));
}

TEST(Crc16, RunsDoNotShareTheirRunningValue) {
  Crc16 a;
  Crc16 b;
  a.Update("1234", 4, false);
  b.Update("zzzz", 4, false);
  EXPECT_EQ(a.Update("56789", 5, true), 0x31C3);
}

}  // namespace
}  // namespace kv
