#include "core/marker_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Zero-filled data with the pattern written at `at`.
Bytes WithPatternAt(std::size_t size, std::size_t at, std::string_view pattern) {
  Bytes data(size, 0);
  std::copy(pattern.begin(), pattern.end(), data.begin() + static_cast<std::ptrdiff_t>(at));
  return data;
}

TEST(FindMarker, FindsThePatternAmongZerosAndPositionsThere) {
  const Bytes data = WithPatternAt(3000, 100, "\x03-QX3-");
  MemorySource src(data);
  EXPECT_EQ(FindMarker(src, "\x03-QX3-"), 100);
  EXPECT_EQ(src.Position(), 100);
}

TEST(FindMarker, FindsAPatternAcrossEachBlockBoundary) {
  // Six-byte pattern, overlap 5: blocks start at 0, 1019, 2038, ...
  for (std::size_t at = 1016; at <= 1024; ++at) {
    const Bytes data = WithPatternAt(4000, at, "\x03-QX3-");
    MemorySource src(data);
    EXPECT_EQ(FindMarker(src, "\x03-QX3-"), static_cast<std::int64_t>(at)) << at;
  }
  // Five-byte pattern, overlap 4: the second block starts at 1020.
  for (std::size_t at = 1016; at <= 1024; ++at) {
    const Bytes data = WithPatternAt(4000, at, "-QX3-");
    MemorySource src(data);
    EXPECT_EQ(FindMarker(src, "-QX3-"), static_cast<std::int64_t>(at)) << at;
  }
}

TEST(FindMarker, StopsAtTheBlockBound) {
  // 100 blocks of six-byte scanning cover 99 × 1019 + 1024 bytes.
  const std::size_t covered = 99 * 1019 + 1024;
  const Bytes inside = WithPatternAt(covered + 100, covered - 6, "\x03-QX3-");
  MemorySource a(inside);
  EXPECT_EQ(FindMarker(a, "\x03-QX3-"), static_cast<std::int64_t>(covered - 6));
  const Bytes outside = WithPatternAt(covered + 100, covered - 5, "\x03-QX3-");
  MemorySource b(outside);
  EXPECT_FALSE(FindMarker(b, "\x03-QX3-"));
  MemorySource c(outside);
  EXPECT_TRUE(FindMarker(c, "\x03-QX3-", MarkerScan{.maxBlocks = 101}));
}

TEST(FindMarker, AScanResumedWhereTheLastOneStoppedFindsAMarkerAcrossThatPoint) {
  // One scan of 100 blocks (overlap 4) ends at 102,004; the marker lies
  // across that point, so only a resumed scan that starts 4 bytes earlier finds it.
  const Bytes data = WithPatternAt(150000, 102002, "-QX3-");
  MemorySource src(data);
  EXPECT_EQ(FindMarker(src, "-QX3-"), std::nullopt);
  EXPECT_EQ(FindMarker(src, "-QX3-"), 102002);
}

TEST(FindMarker, ReadLimitAndFirstBlockRule) {
  const Bytes data = WithPatternAt(2100, 1500, "-QX3-");
  MemorySource a(data);
  // Block 2 is read only while 2 × 1024 < limit.
  EXPECT_FALSE(FindMarker(a, "-QX3-", MarkerScan{.readLimit = 2048}));
  MemorySource b(data);
  EXPECT_EQ(FindMarker(b, "-QX3-", MarkerScan{.readLimit = 2049}), 1500);
  // A small file: without firstBlockAlways, block 1 needs 1024 < limit.
  const Bytes small = WithPatternAt(500, 0, "\x03-QX3-");
  MemorySource c(small);
  EXPECT_FALSE(FindMarker(c, "\x03-QX3-", MarkerScan{.readLimit = 500, .firstBlockAlways = false}));
  MemorySource d(small);
  EXPECT_EQ(FindMarker(d, "\x03-QX3-", MarkerScan{.readLimit = 500}), 0);
}

TEST(FindMarker, StartsAtTheCurrentPositionAndHandlesShortSources) {
  Bytes data = WithPatternAt(3000, 10, "-QX3-");
  std::copy_n("-QX3-", 5, data.begin() + 2000);
  MemorySource src(data);
  ASSERT_TRUE(src.Seek(11));
  EXPECT_EQ(FindMarker(src, "-QX3-"), 2000);
  const Bytes tiny{'-', 'Q', 'X'};
  MemorySource t(tiny);
  EXPECT_FALSE(FindMarker(t, "-QX3-"));
  const Bytes nothing;
  MemorySource empty(nothing);
  EXPECT_FALSE(FindMarker(empty, "-QX3-"));
}

}  // namespace
}  // namespace kv
