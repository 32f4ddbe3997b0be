// A Type3 source above 4 GiB: a sparse file whose first header must carry the
// 8-byte source size and the full 64-bit size in its progress. The job is
// stopped after its first MiB, so the disk holds only a small first piece.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "core/stub_data_file.h"
#include "core/typed_header_reader.h"
#include "divide/typed_divide.h"
#include "tests/divide/divide_fixture.h"

namespace kv::test {
namespace {

TEST(TypedLargeTest, SourceAboveFourGiBRecordsTheEightByteSize) {
  TempDir dir;
  const std::string source = dir / "huge.img";
  constexpr std::int64_t kSize = 5LL * 1024 * 1024 * 1024;  // 5 GiB, all holes
  const int fd = ::open(source.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, kSize), 0);
  ::close(fd);

  DivideSettings settings;
  settings.DivideType = 3;
  JobState job;
  HookPrompter prompter;
  SystemVolumes volumes;
  StubDataFile stubs;
  PrepareDivideJob(job, source, dir / "huge.d01", 2147483647);
  ASSERT_EQ(job.SourceSize, kSize);

  std::thread worker([&] { RunTypedDivide(settings, job, prompter, volumes, stubs); });
  // Stop once the status shows a four-digit KiB count (about 1 MiB in the first piece).
  for (int i = 0; i < 20000 && job.ProgressPermille.load() == 0 &&
                  job.StatusText().size() < std::string("4,096kBytes").size();
       ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  job.RunState.store(kRunCancelRequested);
  worker.join();
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(job.RunState.load(), kRunIdle);

  const auto piece = ReadFileBytes(dir / "huge.d01");
  ASSERT_GT(piece.size(), 34u);
  // 03 "-QX3-", then 5 GiB as the long FlaggedInt64: 80 00 00 00 C0 00 00 00.
  const std::vector<std::uint8_t> head(piece.begin(), piece.begin() + 14);
  EXPECT_EQ(head, (std::vector<std::uint8_t>{0x03, '-', 'Q', 'X', '3', '-', 0x80, 0x00, 0x00, 0x00,
                                             0xC0, 0x00, 0x00, 0x00}));
  MemorySource header(piece);
  header.Seek(6);
  const Type3FirstHeader parsed = ParseType3FirstHeader(header);
  ASSERT_EQ(parsed.status, HeaderStatus::kOk);
  EXPECT_EQ(parsed.sourceSize, kSize);
  EXPECT_EQ(parsed.pieceLength, 2147483644);
  EXPECT_EQ(parsed.storedName, "huge.img");
  EXPECT_EQ(parsed.headerLength, 6 + 8 + 1 + 4 + 2 + 2 + 8 + 8 + 1);
  // The body so far is the source's zeros, in whole steps.
  EXPECT_EQ((piece.size() - static_cast<std::size_t>(parsed.headerLength)) % 1024, 0u);
  EXPECT_LT(piece.size(), 100u * 1024 * 1024);
}

}  // namespace
}  // namespace kv::test
