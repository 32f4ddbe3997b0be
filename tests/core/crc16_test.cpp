#include "core/crc16.h"

#include "core/crc16_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Every way of computing the CRC that this processor offers, each held to the
// bit-by-bit definition on its own.
class Crc16Path : public ::testing::TestWithParam<crc16::Path> {
 protected:
  void SetUp() override {
    if (!crc16::PathAvailable(GetParam())) {
      GTEST_SKIP() << crc16::PathName(GetParam()) << " is not offered by this processor";
    }
  }
  std::uint16_t Fold(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
    return crc16::FoldWith(GetParam(), crc, p, n);
  }
};

TEST_P(Crc16Path, EveryLengthAtOddAlignmentsFromAFreshOrRunningValue) {
  const auto data = test::RandomBytes(2200, 5);
  // The bitwise CRC of every prefix: the expected value for each length.
  std::vector<std::uint16_t> prefix{0};
  for (const std::uint8_t b : data) {
    prefix.push_back(BitwiseCrc({b}, prefix.back()));
  }
  constexpr std::size_t kCarried = 5;
  std::vector<std::uint8_t> buffer(data.size() + 16);
  for (const std::size_t offset : {0u, 1u, 3u, 7u, 13u}) {
    std::copy(data.begin(), data.end(), buffer.begin() + static_cast<std::ptrdiff_t>(offset));
    const std::uint8_t* at = buffer.data() + offset;
    for (std::size_t length = 0; length <= data.size(); length += length < 300 ? 1 : 7) {
      ASSERT_EQ(Fold(0, at, length), prefix[length]) << "offset " << offset << " length " << length;
      if (length >= kCarried) {
        ASSERT_EQ(Fold(prefix[kCarried], at + kCarried, length - kCarried), prefix[length])
            << "carried in, offset " << offset << " length " << length;
      }
    }
  }
}

TEST_P(Crc16Path, LargeBufferWholeOrInPortions) {
  const auto data = test::RandomBytes((3 << 20) + 5, 11);
  const std::uint16_t whole = BitwiseCrc(data);
  EXPECT_EQ(Fold(0, data.data(), data.size()), whole);
  for (const std::size_t portion : {1024u, 777u, 255u, 257u, 4099u, 1u << 20}) {
    std::uint16_t crc = 0;
    for (std::size_t at = 0; at < data.size(); at += portion) {
      crc = Fold(crc, data.data() + at, std::min(portion, data.size() - at));
    }
    EXPECT_EQ(crc, whole) << "portions of " << portion;
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, Crc16Path, ::testing::ValuesIn(crc16::kAllPaths),
                         [](const auto& param_info) {
                           std::string name = crc16::PathName(param_info.param);
                           std::erase(name, '-');
                           return name;
                         });

TEST(Crc16, RunsDoNotShareTheirRunningValue) {
  Crc16 a;
  Crc16 b;
  a.Update("1234", 4, false);
  b.Update("zzzz", 4, false);
  EXPECT_EQ(a.Update("56789", 5, true), 0x31C3);
}

}  // namespace
}  // namespace kv
