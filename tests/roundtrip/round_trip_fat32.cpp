// A 5 GiB sparse source divided into the 4,294,967,295-byte pieces a FAT32
// stick takes and restored, as Type0 and as Type3 (whose piece length then
// takes its 8-byte form). Checked by sizes and by the CRC-16 of the ranges
// around the start, the piece boundary and the end. Needs about 11 GiB of
// real disk for the pieces and the result.

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "core/crc16.h"
#include "tests/roundtrip/round_trip_fixture.h"

namespace kv::test {
namespace {

constexpr std::uint64_t kNeededFree = 12ULL * 1024 * 1024 * 1024;
constexpr std::int64_t kMiB = 1024 * 1024;
constexpr std::int64_t kSourceSize = 5LL * 1024 * kMiB;  // 5,368,709,120

// The CRC-16 of `length` bytes of `path` from `offset`; -1 when they cannot be read whole.
int RangeCrc(const std::string& path, std::int64_t offset, std::size_t length) {
  std::vector<std::uint8_t> bytes(length);
  const int fd = ::open(path.c_str(), O_RDONLY);
  const ssize_t got = fd < 0 ? -1 : ::pread(fd, bytes.data(), length, offset);
  if (fd >= 0) {
    ::close(fd);
  }
  return got == static_cast<ssize_t>(length) ? Crc16Of(bytes) : -1;
}

struct Fat32Case {
  int type;
  const char* firstPiece;
  const char* secondPiece;
  std::int64_t secondSize;
};

class Fat32RoundTrip : public RoundTripFixture, public ::testing::WithParamInterface<Fat32Case> {};

TEST_P(Fat32RoundTrip, FiveGiBInFat32Pieces) {
  const Fat32Case& c = GetParam();
  const auto space = std::filesystem::space(std::filesystem::temp_directory_path());
  if (space.available < kNeededFree) {
    GTEST_SKIP() << "needs 12 GiB free, has " << space.available / kMiB << " MiB";
  }
  const auto start = std::chrono::steady_clock::now();
  const std::string source = In("big.img");
  {
    const int fd = ::open(source.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, kSourceSize), 0);
    // Random blocks at the start, across the first piece's end and at the end.
    for (const auto& [offset, seed] :
         {std::pair{0LL, 1u}, {4294967295LL - kMiB / 2, 2u}, {kSourceSize - kMiB, 3u}}) {
      const auto bytes = RandomBytes(kMiB, seed);
      ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), offset), kMiB);
    }
    ::close(fd);
  }
  const std::int64_t ranges[] = {0, 4294967295LL - kMiB / 2, 3LL * 1024 * kMiB, kSourceSize - kMiB};
  std::vector<int> crcs;
  for (const std::int64_t offset : ranges) {
    crcs.push_back(RangeCrc(source, offset, kMiB));
    ASSERT_GE(crcs.back(), 0) << offset;
  }

  settings.DivideType = c.type;
  settings.RsDefaultExt = "img";
  Divide(source, "4,294,967,295Bytes (4GB)", Out(c.firstPiece));
  EXPECT_EQ(planner.Texts().information, "分割が終了しました");
  EXPECT_EQ(OutFiles(), (std::vector<std::string>{c.firstPiece, c.secondPiece}));
  EXPECT_EQ(FileSizes({Out(c.firstPiece), Out(c.secondPiece)}),
            (std::vector<std::int64_t>{4294967295, c.secondSize}));
  if (c.type == 3) {
    // Source size and piece length (4,294,967,292) both in their long form.
    std::vector<std::uint8_t> header(17);
    const int fd = ::open(Out(c.firstPiece).c_str(), O_RDONLY);
    ASSERT_EQ(::pread(fd, header.data(), header.size(), 6), 17);
    ::close(fd);
    EXPECT_EQ(header, (std::vector<std::uint8_t>{0x80, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0x80, 0, 0, 0,
                                                 0x7F, 0xFF, 0xFF, 0xFC}));
  }
  const auto divided = std::chrono::steady_clock::now();
  std::filesystem::remove(source);

  Restore(Out(c.firstPiece));
  EXPECT_EQ(planner.Texts().information, "復元が終了しました");
  std::filesystem::remove(Out(c.firstPiece));
  std::filesystem::remove(Out(c.secondPiece));
  EXPECT_EQ(FileSizes({Out("big.img")}), std::vector<std::int64_t>{kSourceSize});
  for (std::size_t i = 0; i < std::size(ranges); ++i) {
    EXPECT_EQ(RangeCrc(Out("big.img"), ranges[i], kMiB), crcs[i]) << ranges[i];
  }
  std::filesystem::remove(Out("big.img"));
  const auto end = std::chrono::steady_clock::now();
  auto seconds = [](auto from, auto to) {
    return std::chrono::duration<double>(to - from).count();
  };
  std::printf("Type%d: divide %.1f s, restore %.1f s\n", c.type, seconds(start, divided),
              seconds(divided, end));
}

INSTANTIATE_TEST_SUITE_P(
    Types, Fat32RoundTrip,
    ::testing::Values(Fat32Case{0, "big.001", "big.002", 1073741825},
                      // A 44-byte first header leaves a body of 4,294,967,248; the rest,
                      // 1,073,741,872 bytes, goes behind a 12-byte header (its own short
                      // piece length) with the 3-byte trailer.
                      Fat32Case{3, "big.d01", "big.d02", 1073741887}),
    [](const auto& test) { return "Type" + std::to_string(test.param.type); });

}  // namespace
}  // namespace kv::test
