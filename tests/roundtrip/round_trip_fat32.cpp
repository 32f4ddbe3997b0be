// Sparse sources divided into the 4,294,967,295-byte pieces a FAT32 stick
// takes and restored: 5 GiB as Type0, 9 GiB as Type3 (whose piece lengths
// then take their 8-byte form, in the first header and in a following one).
// Checked by sizes and by the CRC-16 of ranges around the start, the piece
// boundaries and the end. Needs twice the source's size of real disk.

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "core/crc16.h"
#include "tests/roundtrip/round_trip_fixture.h"

namespace kv::test {
namespace {

constexpr std::int64_t kMiB = 1024 * 1024;
constexpr std::int64_t kGiB = 1024 * kMiB;
constexpr std::int64_t kFat32Piece = 4294967295;

// `length` bytes of `path` from `offset`; none when they cannot be read whole.
std::vector<std::uint8_t> BytesAt(const std::string& path, std::int64_t offset,
                                  std::size_t length) {
  std::vector<std::uint8_t> bytes(length);
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0 || ::pread(fd, bytes.data(), length, offset) != static_cast<ssize_t>(length)) {
    bytes.clear();
  }
  if (fd >= 0) {
    ::close(fd);
  }
  return bytes;
}

// The CRC-16 of `length` bytes of `path` from `offset`; -1 when they cannot be read whole.
int RangeCrc(const std::string& path, std::int64_t offset, std::size_t length) {
  const std::vector<std::uint8_t> bytes = BytesAt(path, offset, length);
  return bytes.empty() ? -1 : Crc16Of(bytes);
}

struct Fat32Case {
  int type;
  std::int64_t sourceSize;
  std::vector<std::string> pieces;
  std::vector<std::int64_t> sizes;
};

void PrintTo(const Fat32Case& c, std::ostream* os) {
  *os << "Type" << c.type << ", " << c.sourceSize << " bytes";
}

class Fat32RoundTrip : public RoundTripFixture, public ::testing::WithParamInterface<Fat32Case> {};

TEST_P(Fat32RoundTrip, DividesIntoFat32PiecesAndRestores) {
  const Fat32Case& c = GetParam();
  const auto space = std::filesystem::space(std::filesystem::temp_directory_path());
  if (space.available < static_cast<std::uint64_t>(2 * c.sourceSize + kGiB)) {
    GTEST_SKIP() << "needs " << (2 * c.sourceSize + kGiB) / kMiB << " MiB free, has "
                 << space.available / kMiB << " MiB";
  }
  const auto start = std::chrono::steady_clock::now();
  const std::string source = In("big.img");
  // Random blocks at the start, across the pieces' ends and at the end.
  std::vector<std::int64_t> ranges{0};
  for (std::int64_t end = kFat32Piece; end < c.sourceSize - kMiB; end += kFat32Piece) {
    ranges.push_back(end - kMiB / 2);
  }
  ranges.push_back(c.sourceSize - kMiB);
  {
    const int fd = ::open(source.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, c.sourceSize), 0);
    for (std::size_t i = 0; i < ranges.size(); ++i) {
      const auto bytes = RandomBytes(kMiB, static_cast<std::uint32_t>(i + 1));
      ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), ranges[i]), kMiB);
    }
    ::close(fd);
  }
  std::vector<int> crcs;
  for (const std::int64_t offset : ranges) {
    crcs.push_back(RangeCrc(source, offset, kMiB));
    ASSERT_GE(crcs.back(), 0) << offset;
  }

  settings.DivideType = c.type;
  settings.RsDefaultExt = "img";
  Divide(source, "4,294,967,295Bytes (4GB)", Out(c.pieces[0]));
  EXPECT_EQ(planner.Texts().information, "分割が終了しました");
  EXPECT_EQ(OutFiles(), c.pieces);
  std::vector<std::string> paths;
  for (const std::string& piece : c.pieces) {
    paths.push_back(Out(piece));
  }
  EXPECT_EQ(FileSizes(paths), c.sizes);
  if (c.type == 3) {
    // Source size, then flags and a piece length of 4,294,967,292, in their
    // long forms; the second piece's piece length too.
    EXPECT_EQ(BytesAt(paths[0], 6, 17),
              (std::vector<std::uint8_t>{0x80, 0, 0, 0x01, 0xC0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0x7F,
                                         0xFF, 0xFF, 0xFC}));
    EXPECT_EQ(BytesAt(paths[1], 5, 8),
              (std::vector<std::uint8_t>{0x80, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFC}));
  }
  const auto divided = std::chrono::steady_clock::now();
  std::filesystem::remove(source);

  Restore(paths[0]);
  EXPECT_EQ(planner.Texts().information, "復元が終了しました");
  for (const std::string& path : paths) {
    std::filesystem::remove(path);
  }
  EXPECT_EQ(FileSizes({Out("big.img")}), std::vector<std::int64_t>{c.sourceSize});
  for (std::size_t i = 0; i < ranges.size(); ++i) {
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
    ::testing::Values(Fat32Case{0, 5 * kGiB, {"big.001", "big.002"}, {kFat32Piece, 1073741825}},
                      // A 43-byte first header leaves a body of 4,294,967,249; a full
                      // following piece has a 17-byte header and a body of 4,294,967,275;
                      // the last holds 1,073,741,892 bytes behind a 13-byte header.
                      Fat32Case{3,
                                9 * kGiB,
                                {"big.d01", "big.d02", "big.d03"},
                                {kFat32Piece, kFat32Piece, 1073741908}}),
    [](const auto& test) { return "Type" + std::to_string(test.param.type); });

}  // namespace
}  // namespace kv::test
