#include "core/flagged_int.h"

#include <gtest/gtest.h>

#include <vector>

namespace kv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encode16(std::int64_t v) {
  Bytes out;
  EXPECT_TRUE(AppendFlaggedInt16(out, v));
  return out;
}
Bytes Encode32(std::int64_t v) {
  Bytes out;
  EXPECT_TRUE(AppendFlaggedInt32(out, v));
  return out;
}
Bytes Encode64(std::int64_t v) {
  Bytes out;
  EXPECT_TRUE(AppendFlaggedInt64(out, v));
  return out;
}

TEST(FlaggedInt, SixteenBitForms) {
  EXPECT_EQ(Encode16(127), (Bytes{0x7F}));
  EXPECT_EQ(Encode16(128), (Bytes{0x80, 0x00}));
  EXPECT_EQ(Encode16(300), (Bytes{0x80, 0xAC}));
  EXPECT_EQ(Encode16(32895), (Bytes{0xFF, 0xFF}));
  const Bytes ffff{0xFF, 0xFF};
  MemorySource src(ffff);
  EXPECT_EQ(ReadFlaggedInt(src, 1), 32895);
  Bytes out;
  EXPECT_FALSE(AppendFlaggedInt16(out, 32896));
  EXPECT_FALSE(AppendFlaggedInt16(out, -1));
  EXPECT_TRUE(out.empty());
}

TEST(FlaggedInt, SixtyFourBitForms) {
  EXPECT_EQ(Encode64(0x7FFFFFFF), (Bytes{0x7F, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Encode64(0x80000000LL), (Bytes{0x80, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Encode64(5'000'000'000LL), (Bytes{0x80, 0x00, 0x00, 0x00, 0xAA, 0x05, 0xF2, 0x00}));
  const Bytes big{0x80, 0x00, 0x00, 0x00, 0xAA, 0x05, 0xF2, 0x00};
  MemorySource src(big);
  EXPECT_EQ(ReadFlaggedInt64(src), 5'000'000'000LL);
  EXPECT_EQ(src.Position(), 8);
}

TEST(FlaggedInt, ThirtyTwoBitFormsAndUnknownForm) {
  EXPECT_EQ(Encode32(0x7FFF), (Bytes{0x7F, 0xFF}));
  EXPECT_EQ(Encode32(0x8000), (Bytes{0x80, 0x00, 0x00, 0x00}));
  const Bytes data{0x80, 0x00, 0x12, 0x34, 0x01};
  MemorySource src(data);
  EXPECT_EQ(ReadFlaggedInt(src, 2), 0x8000 + 0x1234);
  EXPECT_EQ(ReadFlaggedInt(src, 3), 0);
  EXPECT_EQ(src.Position(), 4);  // the unknown form read nothing
}

TEST(FlaggedInt, RoundTripsAcrossTheFormBoundaries) {
  for (const std::int64_t v : {0LL, 1LL, 127LL, 128LL, 129LL, 32767LL, 32768LL, 32895LL}) {
    const Bytes b = Encode16(v);
    MemorySource src(b);
    EXPECT_EQ(ReadFlaggedInt(src, 1), v);
  }
  for (const std::int64_t v : std::initializer_list<std::int64_t>{
           0, 0x7FFFFFFF, 0x80000000LL, 0x80000001LL, 1LL << 40, INT64_MAX}) {
    const Bytes b = Encode64(v);
    MemorySource src(b);
    EXPECT_EQ(ReadFlaggedInt64(src), v);
  }
}

TEST(FlaggedInt, ShortReadsGiveMinusOne) {
  const Bytes longStart16{0x80};
  MemorySource a(longStart16);
  EXPECT_EQ(ReadFlaggedInt(a, 1), -1);
  const Bytes nothing;
  MemorySource empty(nothing);
  EXPECT_EQ(ReadFlaggedInt(empty, 1), -1);
  EXPECT_EQ(ReadFlaggedInt64(empty), -1);
  const Bytes shortOf4{0x00, 0x01, 0x02};
  MemorySource b(shortOf4);
  EXPECT_EQ(ReadFlaggedInt64(b), -1);
  const Bytes longOf7{0x80, 0, 0, 0, 0, 0, 0};
  MemorySource c(longOf7);
  EXPECT_EQ(ReadFlaggedInt64(c), -1);
  // The largest long form would exceed 63 bits once the offset is added.
  const Bytes tooBig{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  MemorySource d(tooBig);
  EXPECT_EQ(ReadFlaggedInt64(d), -1);
}

}  // namespace
}  // namespace kv
