// GF(2^16) arithmetic, the MD5 and CRC32 PAR2 uses, and the solver's inverse.

#include <gtest/gtest.h>

#include <string_view>

#include "recovery/checksums.h"
#include "recovery/gf16.h"
#include "recovery/gf16_matrix.h"
#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

TEST(Gf16, FieldAndInputConstants) {
  EXPECT_EQ(gf16::Multiply(0x8000, 2), 0x100B);  // 2^16 reduced by 0x1100B
  EXPECT_EQ(gf16::Power(2, 16), 0x100B);
  EXPECT_EQ(gf16::Power(2, 65535), 1);
  EXPECT_EQ(gf16::Power(0, 0), 1);
  EXPECT_EQ(gf16::Multiply(0, 0x1234), 0);
  const std::uint16_t constants[] = {2, 4, 16, 128, 256, 2048, 8192, 16384, 4107, 32856, 17132};
  for (std::uint32_t i = 0; i < std::size(constants); ++i) {
    EXPECT_EQ(gf16::InputConstant(i), constants[i]) << i;
  }
  EXPECT_EQ(gf16::InputConstant(32767), 0x8805);
  for (const std::uint16_t a :
       std::initializer_list<std::uint16_t>{1, 2, 3, 0x100B, 0x8805, 0xFFFF}) {
    EXPECT_EQ(gf16::Multiply(a, gf16::Inverse(a)), 1) << a;
  }
}

// Carry-less multiplication reduced bit by bit: the definition the tables must meet.
std::uint16_t SlowMultiply(std::uint16_t a, std::uint16_t b) {
  std::uint32_t product = 0;
  for (int bit = 0; bit < 16; ++bit) {
    if (b & (1 << bit)) {
      product ^= std::uint32_t{a} << bit;
    }
  }
  for (int bit = 31; bit >= 16; --bit) {
    if (product & (1U << bit)) {
      product ^= 0x1100BU << (bit - 16);
    }
  }
  return static_cast<std::uint16_t>(product);
}

TEST(Gf16, EveryMultiplyAddPathMatchesTheDefinition) {
  const std::vector<std::uint8_t> src = RandomBytes(4098, 7);
  for (const std::uint16_t factor :
       std::initializer_list<std::uint16_t>{0, 1, 2, 0x1234, 0x8805, 0xFFFF}) {
    std::vector<std::uint8_t> dst = RandomBytes(src.size(), 9);
    std::vector<std::uint8_t> expected = dst;
    for (std::size_t j = 0; j < src.size(); j += 2) {
      const auto word = static_cast<std::uint16_t>(src[j] | src[j + 1] << 8);
      const std::uint16_t p = SlowMultiply(factor, word);
      expected[j] ^= static_cast<std::uint8_t>(p);
      expected[j + 1] ^= static_cast<std::uint8_t>(p >> 8);
      EXPECT_EQ(gf16::Multiply(factor, word), p);
    }
    std::vector<std::uint8_t> tables = dst;
    gf16::MultiplyAddTables(factor, src.data(), tables.data(), src.size());
    EXPECT_EQ(tables, expected) << factor;
    std::vector<std::uint8_t> gfni = dst;
    if (gf16::HasAvx2()) {  // 4098 bytes: 64 blocks of 64 and a tail of 2
      gf16::MultiplyAddAvx2(factor, src.data(), dst.data(), src.size());
      EXPECT_EQ(dst, expected) << factor;
    }
    if (gf16::HasGfni()) {
      gf16::MultiplyAddGfni(factor, src.data(), gfni.data(), src.size());
      EXPECT_EQ(gfni, expected) << factor;
    }
    std::vector<std::uint8_t> chosen = RandomBytes(src.size(), 9);
    gf16::MultiplyAdd(factor, src.data(), chosen.data(), src.size());
    EXPECT_EQ(chosen, expected) << factor;
    if (factor == 1 && gf16::HasAvx2()) {  // 4098 bytes: a tail of 2 past the 32-byte steps
      std::vector<std::uint8_t> xored = RandomBytes(src.size(), 9);
      gf16::XorAvx2(src.data(), xored.data(), src.size());
      EXPECT_EQ(xored, expected);
    }
  }
}

TEST(Gf16, InverseOfTheRepairSystem) {
  // Rows: exponents 0, 1, 2; columns: input slices 0, 5, 9.
  const std::uint32_t slices[] = {0, 5, 9};
  std::vector<std::uint16_t> m(9);
  for (std::uint32_t r = 0; r < 3; ++r) {
    for (std::uint32_t c = 0; c < 3; ++c) {
      m[r * 3 + c] = gf16::Power(gf16::InputConstant(slices[c]), r);
    }
  }
  std::vector<std::uint16_t> inverse = m;
  ASSERT_TRUE(gf16::Invert(inverse, 3));
  for (std::size_t r = 0; r < 3; ++r) {
    for (std::size_t c = 0; c < 3; ++c) {
      std::uint16_t sum = 0;
      for (std::size_t k = 0; k < 3; ++k) {
        sum ^= gf16::Multiply(m[r * 3 + k], inverse[k * 3 + c]);
      }
      EXPECT_EQ(sum, r == c ? 1 : 0);
    }
  }
  std::vector<std::uint16_t> singular = {1, 2, 1, 2};
  EXPECT_FALSE(gf16::Invert(singular, 2));
}

std::string Hex(const Md5Digest& d) {
  std::string out;
  for (const std::uint8_t b : d) {
    out += "0123456789abcdef"[b >> 4];
    out += "0123456789abcdef"[b & 15];
  }
  return out;
}

// The CRC32 bit by bit: reflected 0xEDB88320, started and ended inverted.
std::uint32_t Crc32BitByBit(std::uint32_t crc, const std::vector<std::uint8_t>& bytes) {
  crc = ~crc;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc >> 1) ^ ((crc & 1U) != 0 ? 0xEDB88320U : 0U);
    }
  }
  return ~crc;
}

TEST(Checksums, Crc32OfLongRunsMatchesTheDefinition) {
  // Runs folded 64 bytes at a time, then 16, then the last few bytes.
  for (const std::size_t length : {63U, 64U, 65U, 79U, 80U, 127U, 128U, 143U, 1000U, 4101U}) {
    const std::vector<std::uint8_t> bytes = RandomBytes(length, static_cast<std::uint32_t>(length));
    for (const std::uint32_t start : {0U, 0xCBF43926U}) {
      EXPECT_EQ(Crc32(start, bytes), Crc32BitByBit(start, bytes)) << length << " from " << start;
    }
  }
}

TEST(Checksums, Md5AndCrc32) {
  const std::string_view abc = "abc";
  const std::string_view digits = "123456789";
  const auto bytes = [](std::string_view s) {
    return std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  };
  EXPECT_EQ(Hex(Md5Of(bytes(abc))), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Crc32(0, bytes(digits)), 0xCBF43926u);
  // Padding: 5000 zeros added in steps equal the same zeros hashed at once.
  const std::vector<std::uint8_t> zeros(5000, 0);
  Md5 padded;
  padded.UpdateZeros(5000);
  EXPECT_EQ(padded.Finish(), Md5Of(zeros));
  EXPECT_EQ(Crc32Zeros(Crc32(0, bytes(digits)), 5000), Crc32(Crc32(0, bytes(digits)), zeros));
  // A file's digest and its padded slice's from one pass.
  Md5 open;
  open.Update(bytes(abc));
  EXPECT_EQ(Hex(open.DigestWithZeros(4093)), "5b5b78e3d337480ead93442b25ce13fd");
  EXPECT_EQ(Hex(open.Finish()), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
}  // namespace kv::test
