// A Type3 source above 4 GiB divided into pieces of 2,147,483,647 bytes and
// restored, through the planner on the real workers. The source is sparse
// with random blocks at its start, around 2 GiB and 4 GiB and at its end.
// It needs about 9 GiB of real disk for the pieces and the result.

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "tests/roundtrip/round_trip_fixture.h"

namespace kv::test {
namespace {

constexpr std::uint64_t kNeededFree = 12ULL * 1024 * 1024 * 1024;
constexpr std::int64_t kMiB = 1024 * 1024;
constexpr std::int64_t kGiB = 1024 * kMiB;
constexpr std::int64_t kSourceSize = 4 * kGiB + kMiB + 17;  // 4,296,015,889

void WriteAt(int fd, std::int64_t offset, const std::vector<std::uint8_t>& bytes) {
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), offset), static_cast<ssize_t>(bytes.size()));
}

class LargeRoundTrip : public RoundTripFixture {};

TEST_F(LargeRoundTrip, Type3AboveFourGiBInTwoGiBPieces) {
  const auto space = std::filesystem::space(std::filesystem::temp_directory_path());
  if (space.available < kNeededFree) {
    GTEST_SKIP() << "needs 12 GiB free in " << std::filesystem::temp_directory_path() << ", has "
                 << space.available / kMiB << " MiB";
  }
  const auto start = std::chrono::steady_clock::now();

  const std::string source = In("huge.img");
  {
    const int fd = ::open(source.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, kSourceSize), 0);
    // The blocks straddle the ends of the first two pieces' bodies
    // (source offsets 2,147,483,604 and 4,294,967,235).
    WriteAt(fd, 0, RandomBytes(kMiB, 1));
    WriteAt(fd, 2 * kGiB - kMiB / 2, RandomBytes(kMiB, 2));
    WriteAt(fd, 4 * kGiB - kMiB / 2, RandomBytes(kMiB, 3));
    WriteAt(fd, kSourceSize - kMiB - 17, RandomBytes(kMiB + 17, 4));
    ::close(fd);
  }

  settings.DivideType = 3;
  const auto divideAsked = Divide(source, "2147483647", Out("huge.d01"));
  EXPECT_EQ(planner.Texts().information, "分割が終了しました");
  EXPECT_EQ(divideAsked.size(), 1u);
  const std::vector<std::string> pieces{Out("huge.d01"), Out("huge.d02"), Out("huge.d03")};
  EXPECT_EQ(OutFiles(), (std::vector<std::string>{"huge.d01", "huge.d02", "huge.d03"}));
  // First header 40 bytes (8-byte source size): body 2,147,483,604; then
  // bodies of 2,147,483,631; the last holds 1,048,654 bytes plus 16.
  EXPECT_EQ(FileSizes(pieces), (std::vector<std::int64_t>{2147483647, 2147483647, 1048670}));
  const auto divided = std::chrono::steady_clock::now();

  const auto restoreAsked = Restore(Out("huge.d01"));
  EXPECT_EQ(job.SourceSize, kSourceSize);
  EXPECT_EQ(planner.Texts().information, "復元が終了しました");
  EXPECT_EQ(restoreAsked.size(), 1u);
  for (const auto& piece : pieces) {
    std::filesystem::remove(piece);
  }
  const auto restored = std::chrono::steady_clock::now();
  EXPECT_EQ(FileSizes({Out("huge.img")}), std::vector<std::int64_t>{kSourceSize});
  EXPECT_TRUE(SameContent(source, Out("huge.img")));
  std::filesystem::remove(Out("huge.img"));
  std::filesystem::remove(source);

  const auto end = std::chrono::steady_clock::now();
  auto seconds = [](auto from, auto to) {
    return std::chrono::duration<double>(to - from).count();
  };
  std::printf("divide %.1f s, restore %.1f s, compare %.1f s, total %.1f s\n",
              seconds(start, divided), seconds(divided, restored), seconds(restored, end),
              seconds(start, end));
}

}  // namespace
}  // namespace kv::test
