// What a pass over a file records for PAR2 (the whole file's digests and each
// zero-padded slice's), and the Reed-Solomon sums of stripes, both against
// their definitions computed the slow way.

#include <gtest/gtest.h>

#include "recovery/file_hashes.h"
#include "recovery/gf16.h"
#include "recovery/one_pass.h"
#include "recovery/rs_stripes.h"
#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

using par2::Bytes;

std::vector<par2::SliceCheck> SlicesTheSlowWay(const Bytes& data, std::uint64_t sliceSize) {
  std::vector<par2::SliceCheck> slices;
  for (std::size_t at = 0; at < data.size(); at += sliceSize) {
    Bytes slice(data.begin() + static_cast<std::ptrdiff_t>(at),
                data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), at + sliceSize)));
    slice.resize(sliceSize, 0);
    slices.push_back({Md5Of(slice), Crc32(0, slice)});
  }
  return slices;
}

TEST(FileHashes, EveryDigestMatchesItsDefinition) {
  struct Case {
    std::size_t length;
    std::uint64_t sliceSize;
  };
  // One slice (the whole file's digest padded), many, a short last one, a
  // file just over and at the 16 KiB the first digest covers, none at all.
  const Case cases[] = {{0, 4096},    {1, 4096},          {4095, 4096},      {4096, 4096},
                        {4097, 4096}, {16384, 4096},      {16385, 20000},    {20000, 20000},
                        {3000000, 8}, {2500000, 1048576}, {1048577, 1048580}};
  for (const Case& c : cases) {
    const Bytes data = RandomBytes(c.length, static_cast<std::uint32_t>(c.length));
    const MemoryRange file(data);
    par2::FileHashes hashes;
    ASSERT_TRUE(par2::HashFile(file, c.sliceSize, hashes)) << c.length;
    EXPECT_EQ(hashes.md5, Md5Of(data)) << c.length;
    EXPECT_EQ(hashes.md5First16k,
              Md5Of(std::span(data).first(std::min<std::size_t>(data.size(), 16384))))
        << c.length;
    const std::vector<par2::SliceCheck> expected = SlicesTheSlowWay(data, c.sliceSize);
    ASSERT_EQ(hashes.slices.size(), expected.size()) << c.length;
    for (std::size_t k = 0; k < expected.size(); ++k) {
      EXPECT_EQ(hashes.slices[k].md5, expected[k].md5) << c.length << " slice " << k;
      EXPECT_EQ(hashes.slices[k].crc, expected[k].crc) << c.length << " slice " << k;
    }
    Md5Digest whole{};
    ASSERT_TRUE(par2::HashWholeFile(file, whole));
    EXPECT_EQ(whole, Md5Of(data)) << c.length;
  }
}

TEST(FileHashes, AStopEndsThePass) {
  const Bytes data = RandomBytes(3 << 20, 5);
  const MemoryRange file(data);
  int asked = 0;
  par2::FileHashes hashes;
  EXPECT_FALSE(par2::HashFile(file, 1 << 20, hashes, [&asked] { return ++asked == 2; }));
  EXPECT_EQ(asked, 2);
  Md5Digest whole{};
  EXPECT_FALSE(par2::HashWholeFile(file, whole, [] { return true; }));
}

// R_e[j] = Σ c_i^e · D_i[j], word by word, D_i zero-padded.
Bytes SumTheSlowWay(const std::vector<Bytes>& inputs, std::uint32_t exponent, std::uint64_t from,
                    std::size_t width) {
  Bytes sum(width, 0);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const std::uint16_t factor =
        gf16::Power(gf16::InputConstant(static_cast<std::uint32_t>(i)), exponent);
    for (std::size_t j = 0; j < width; j += 2) {
      const auto byte = [&](std::uint64_t at) -> std::uint16_t {
        return at < inputs[i].size() ? inputs[i][at] : 0;
      };
      const auto word = static_cast<std::uint16_t>(byte(from + j) | byte(from + j + 1) << 8);
      const std::uint16_t p = gf16::Multiply(factor, word);
      sum[j] ^= static_cast<std::uint8_t>(p);
      sum[j + 1] ^= static_cast<std::uint8_t>(p >> 8);
    }
  }
  return sum;
}

TEST(RecoveryStripes, SumsOfOddAndShortSlicesMatchTheDefinition) {
  // Odd lengths end in half a word; 131075 crosses the 64 KiB pieces read at once.
  const std::vector<Bytes> inputs = {RandomBytes(131075, 1), RandomBytes(1, 2),
                                     RandomBytes(70001, 3), RandomBytes(140000, 4)};
  std::vector<MemoryRange> ranges;
  std::vector<par2::SliceSource> sources;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    ranges.emplace_back(inputs[i]);
  }
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    sources.push_back(
        {&ranges[i], 0, inputs[i].size(), gf16::InputConstant(static_cast<std::uint32_t>(i))});
  }
  const std::vector<std::uint32_t> exponents = {0, 1, 7};
  par2::StripeAdder adder(sources, exponents);
  struct Stripe {
    std::uint64_t from;
    std::size_t width;
  };
  for (const Stripe stripe : {Stripe{0, 140000}, Stripe{65536, 8192}, Stripe{131072, 8928}}) {
    std::vector<Bytes> outputs(exponents.size(), Bytes(stripe.width, 0));
    ASSERT_TRUE(adder.Add(stripe.from, outputs));
    for (std::size_t r = 0; r < exponents.size(); ++r) {
      EXPECT_EQ(outputs[r], SumTheSlowWay(inputs, exponents[r], stripe.from, stripe.width))
          << "stripe at " << stripe.from << ", exponent " << exponents[r];
    }
  }
}

// A file whose bytes past `readable` cannot be read.
class CutShortRange final : public ByteRange {
 public:
  CutShortRange(const Bytes& bytes, std::uint64_t readable) : whole_(bytes), readable_(readable) {}
  std::uint64_t Size() const override { return whole_.Size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
    return offset + out.size() <= readable_ && whole_.ReadAt(offset, out);
  }

 private:
  MemoryRange whole_;
  std::uint64_t readable_;
};

TEST(OnePass, FilesHashedSideBySideInGroupsMatchTheirDefinitions) {
  // 37 files: four groups on two threads, every lane path's width passed;
  // empty, short, just over 16 KiB and over the 64 KiB chunks, unequal.
  const std::size_t sliceSize = 150000;
  std::vector<Bytes> files;
  for (std::size_t i = 0; i < 37; ++i) {
    const std::size_t lengths[] = {0, 1, 16385, 65536, 65537, 149999, 150000};
    const std::size_t more = i > 7 ? i * 911 % 4000 : 0;
    files.push_back(
        RandomBytes(std::min(lengths[i % 7] + more, sliceSize), static_cast<std::uint32_t>(i)));
  }
  std::vector<MemoryRange> ranges(files.begin(), files.end());
  std::vector<par2::OnePassInput> inputs;
  for (std::size_t i = 0; i < files.size(); ++i) {
    inputs.push_back({&ranges[i], gf16::InputConstant(static_cast<std::uint32_t>(i))});
  }
  const std::vector<std::uint32_t> exponents = {0, 3};
  std::vector<par2::FileHashes> hashes;
  std::vector<Bytes> sums;
  std::size_t failed = 99;
  ASSERT_TRUE(par2::HashAndSum(inputs, exponents, sliceSize, hashes, sums, failed));
  for (std::size_t i = 0; i < files.size(); ++i) {
    par2::FileHashes alone;
    ASSERT_TRUE(par2::HashFile(ranges[i], sliceSize, alone));
    EXPECT_EQ(hashes[i].md5, alone.md5) << i;
    EXPECT_EQ(hashes[i].md5First16k, alone.md5First16k) << i;
    ASSERT_EQ(hashes[i].slices.size(), alone.slices.size()) << i;
    if (!alone.slices.empty()) {
      EXPECT_EQ(hashes[i].slices[0].md5, alone.slices[0].md5) << i;
      EXPECT_EQ(hashes[i].slices[0].crc, alone.slices[0].crc) << i;
    }
  }
  for (std::size_t r = 0; r < exponents.size(); ++r) {
    EXPECT_EQ(sums[r], SumTheSlowWay(files, exponents[r], 0, sliceSize)) << exponents[r];
  }
}

TEST(OnePass, TheFirstFileThatCannotBeReadIsNamed) {
  const Bytes bytes = RandomBytes(200000, 1);
  std::vector<CutShortRange> ranges;
  for (std::size_t i = 0; i < 20; ++i) {  // 6 and 13 fail in their second and fourth chunk
    ranges.emplace_back(bytes, i == 13 ? 70000 : i == 6 ? 196608 : bytes.size());
  }
  std::vector<par2::OnePassInput> inputs;
  for (const CutShortRange& range : ranges) {
    inputs.push_back({&range, 2});
  }
  std::vector<par2::FileHashes> hashes;
  std::vector<Bytes> sums;
  std::size_t failed = 99;
  EXPECT_FALSE(
      par2::HashAndSum(inputs, std::vector<std::uint32_t>{0}, 200000, hashes, sums, failed));
  EXPECT_EQ(failed, 6U);
}

}  // namespace
}  // namespace kv::test
