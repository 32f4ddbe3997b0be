// Random and truncated input for every header reader: each must come back
// with a defined result, stay inside the source and never crash.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/flagged_int.h"
#include "core/marker_scan.h"
#include "core/typed_header_builder.h"
#include "core/typed_header_reader.h"

namespace kv {
namespace {

using Bytes = std::vector<std::uint8_t>;

void FeedEveryReader(const Bytes& data) {
  const auto size = static_cast<std::int64_t>(data.size());
  MemorySource src(data);
  Type1Header t1;
  if (IsType1Header(src, t1)) {
    EXPECT_FALSE(t1.name.empty());
    EXPECT_LE(t1.headerLength, size);
  }
  EXPECT_EQ(src.Position(), 0);
  Type2Header t2;
  if (IsType2Header(src, t2)) {
    EXPECT_FALSE(t2.name.empty());
    EXPECT_LE(t2.headerLength, size + 1);
  }
  EXPECT_EQ(src.Position(), 0);

  for (const std::int64_t start : {std::int64_t{0}, std::int64_t{5}, std::int64_t{6}}) {
    if (start > size) {
      continue;
    }
    src.Seek(start);
    const Type3FirstHeader f = ParseType3FirstHeader(src);
    EXPECT_LE(src.Position(), size);
    if (f.status == HeaderStatus::kOk) {
      EXPECT_FALSE(f.storedName.empty());
      EXPECT_LE(f.headerLength + start - 6, size);
    }
    EXPECT_FALSE(f.RefusalText().empty() && f.status != HeaderStatus::kOk);
    src.Seek(start);
    const Type3NextHeader n = ParseType3NextHeader(src);
    EXPECT_LE(src.Position(), size);
    if (!n.broken) {
      EXPECT_GE(n.pieceNumber, 0);
      EXPECT_GE(n.pieceLength, 0);
    }
    src.Seek(start);
    SkipInfoRecords(src);
    EXPECT_LE(src.Position(), size);
    src.Seek(start);
    EXPECT_GE(ReadFlaggedInt(src, 1), -1);
    EXPECT_GE(ReadFlaggedInt(src, 2), -1);
    EXPECT_GE(ReadFlaggedInt64(src), -1);
  }
  src.Seek(0);
  if (const auto at = FindMarker(src, "-QX3-", MarkerScan{.maxBlocks = 3})) {
    EXPECT_LE(*at + 5, size);
  }
}

TEST(HeaderFuzz, RandomBuffersGiveDefinedResults) {
  std::mt19937 rng(20240601);
  for (int round = 0; round < 3000; ++round) {
    Bytes data(rng() % 400);
    // Mostly small bytes and header characters, so parsers go deep.
    for (auto& b : data) {
      const unsigned r = rng() % 8;
      b = static_cast<std::uint8_t>(r < 3   ? rng() % 8
                                    : r < 5 ? static_cast<std::uint8_t>("-QX3 A1\x01"[rng() % 8])
                                            : rng());
    }
    if (round % 3 == 0 && data.size() >= 6) {
      std::copy_n("\x03-QX3-", 6, data.begin());
    }
    FeedEveryReader(data);
  }
}

TEST(HeaderFuzz, EveryPrefixOfRealHeaders) {
  const Bytes headers[] = {
      BuildType1Header("ABC.TXT", 12345),
      BuildType2Header("a b.txt", 0x1234, 0x01),
      BuildType3FirstHeader(5'000'000'000LL, 0x90000000LL, 0xFFFF, std::string(200, 'x'), 2024, 7),
      BuildType3NextHeader(299'997, 1, 300),
  };
  for (const Bytes& h : headers) {
    ASSERT_FALSE(h.empty());
    for (std::size_t n = 0; n <= h.size(); ++n) {
      FeedEveryReader(Bytes(h.begin(), h.begin() + static_cast<std::ptrdiff_t>(n)));
    }
  }
}

}  // namespace
}  // namespace kv
