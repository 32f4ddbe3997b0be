// The destination checks before each piece: a medium that is not ready, too
// little free space when pieces follow the free space, a piece that does not
// fit (on a real size-limited tmpfs), and the running out of room of a line split.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "core/piece_names.h"
#include "core/stub_data_file.h"
#include "divide/media_check.h"
#include "divide/type0_divide.h"
#include "divide/typed_divide.h"
#include "tests/divide/divide_fixture.h"
#include "tests/support/fake_volumes.h"

namespace kv::test {
namespace {

constexpr std::uint64_t kTmpfsBytes = 64 * 1024;

class MediaTest : public ::testing::Test {
 protected:
  TempDir dir;
  DivideSettings settings;
  JobState job;
  HookPrompter prompter;
  SystemVolumes system;
};

TEST_F(MediaTest, NotReadyOffersRetryUntilCancelled) {
  WriteFileBytes(dir / "a.bin", RandomBytes(3000, 1));
  FakeVolumes volumes;
  volumes.SetNotReady(EIO);
  PrepareDivideJob(job, dir / "a.bin", dir / "a.001", 1000);
  prompter.script.Script({Answer::kRetry, Answer::kCancel});
  RunType0Divide(settings, job, prompter, volumes);

  const auto m = prompter.script.Messages();
  ASSERT_EQ(m.size(), 2u);
  for (const auto& message : m) {
    EXPECT_EQ(message.text, "書き込み先のドライブの準備ができていません");
    EXPECT_EQ(message.caption, "Kolvanto");
    EXPECT_EQ(message.buttons, Buttons::kRetryCancel);
    EXPECT_EQ(message.icon, Icon::kStop);
  }
  EXPECT_EQ(volumes.Queries().size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(dir / "a.001"));
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(job.RunState.load(), 0);
  // Giving up ends the job by the failed query, with its cause and folder.
  EXPECT_EQ(job.Outcome(), JobOutcome::kFailed);
  EXPECT_EQ(job.OutcomeError().value(), EIO);
  EXPECT_EQ(job.OutcomePath(), dir.Path().string());
}

TEST_F(MediaTest, PieceLargerThanTheFreeSpaceShowsTheShortageRequest) {
  TmpfsMount medium(kTmpfsBytes);
  if (!medium.Mounted()) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  WriteFileBytes(dir / "a.bin", RandomBytes(150000, 2));
  PrepareDivideJob(job, dir / "a.bin", medium / "a.001", 100000);
  prompter.script.Script({Answer::kRetry, Answer::kCancel});
  RunType0Divide(settings, job, prompter, system);

  const auto s = prompter.script.Shortages();
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].requiredLine, "必要容量： 100,000Bytes");
  EXPECT_EQ(s[0].freeLine, "空き容量： 65,536Bytes");
  EXPECT_EQ(s[0].destination, medium / "a.001");
  EXPECT_FALSE(std::filesystem::exists(medium / "a.001"));
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(job.RunState.load(), 0);
}

TEST_F(MediaTest, FitToFreeSpaceSizesEachPieceToTheMediumInTheDrive) {
  TmpfsMount medium(kTmpfsBytes);
  if (!medium.Mounted()) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  settings.DivideExt = 1;
  const auto data = RandomBytes(150000, 3);
  WriteFileBytes(dir / "a.bin", data);
  PrepareDivideJob(job, dir / "a.bin", medium / "a.001", -1);
  job.PiecesOnFixedDrive = 0;
  // Changing the medium: the full pieces are taken off the tmpfs before each next piece.
  std::vector<std::string> taken;
  prompter.onAsk = [&](const Message& m) {
    if (m.text.starts_with("次のファイル")) {
      for (const auto& entry : std::filesystem::directory_iterator(medium / "")) {
        const std::string kept = dir / entry.path().filename().string();
        std::filesystem::copy_file(entry.path(), kept);
        std::filesystem::remove(entry.path());
        taken.push_back(kept);
      }
    }
  };
  prompter.script.SetFallback(Answer::kYes);
  RunType0Divide(settings, job, prompter, system);

  EXPECT_EQ(job.JobMessage(), "分割が終了しました");
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(ReadFileBytes(taken[0]).size(), 65536u);
  EXPECT_EQ(ReadFileBytes(taken[1]).size(), 65536u);
  taken.push_back(medium / "a.003");
  EXPECT_EQ(ReadFileBytes(taken[2]).size(), 150000u - 2 * 65536u);
  EXPECT_EQ(Concatenate(taken), data);
}

TEST_F(MediaTest, FitToFreeSpaceOnAFullMediumIsTooSmall) {
  TmpfsMount medium(kTmpfsBytes);
  if (!medium.Mounted()) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  WriteFileBytes(dir / "a.bin", RandomBytes(150000, 3));
  // The piece fills the medium; on a fixed drive the next piece finds 0 bytes free.
  PrepareDivideJob(job, dir / "a.bin", medium / "a.001", -1);
  prompter.script.Script({Answer::kRetry, Answer::kCancel});
  RunType0Divide(settings, job, prompter, system);

  const auto m = prompter.script.Messages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].text, "書込み先の空き容量が小さすぎます");
  EXPECT_EQ(m[0].buttons, Buttons::kRetryCancel);
  EXPECT_EQ(m[0].icon, Icon::kStop);
  EXPECT_EQ(ReadFileBytes(medium / "a.001").size(), 65536u);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
}

TEST_F(MediaTest, LineSplitWithoutALineEndRunsOutOfRoom) {
  TmpfsMount medium(kTmpfsBytes);
  if (!medium.Mounted()) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  settings.Type0Type = 1;
  settings.TimingSize = 1;
  std::vector<std::uint8_t> data(100000, 'a');
  for (std::size_t i = 80; i < data.size(); i += 81) {
    data[i] = '\n';  // bare LF line ends: no CR LF anywhere
  }
  WriteFileBytes(dir / "a.txt", data);
  PrepareDivideJob(job, dir / "a.txt", medium / "a.001", 1000);
  RunType0Divide(settings, job, prompter, system);

  const auto m = prompter.script.Messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].text, "書き込み先の容量が足りません");
  EXPECT_EQ(m[0].caption, "Kolvanto  容量不足");
  EXPECT_EQ(m[0].buttons, Buttons::kOk);
  EXPECT_EQ(m[0].icon, Icon::kStop);
  EXPECT_EQ(ReadFileBytes(medium / "a.001"),
            std::vector<std::uint8_t>(data.begin(), data.begin() + 65536));
  EXPECT_EQ(job.ProgressHold.load(), 1);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
}

TEST_F(MediaTest, LineSplitWithoutALineEndTakesTheRestWhenThereIsRoom) {
  settings.Type0Type = 1;
  settings.TimingSize = 1;
  const auto data = std::vector<std::uint8_t>(5000, 'a');
  WriteFileBytes(dir / "a.txt", data);
  PrepareDivideJob(job, dir / "a.txt", dir / "a.001", 1000);
  RunType0Divide(settings, job, prompter, system);
  EXPECT_EQ(job.JobMessage(), "分割が終了しました");
  EXPECT_EQ(ReadFileBytes(dir / "a.001"), data);
  EXPECT_FALSE(std::filesystem::exists(dir / "a.002"));
}

// Another job puts its own file under the name while the overwrite question
// is open: the Yes was about the file asked of, so the new one survives byte
// for byte and this job fails at the exclusive creation.
TEST_F(MediaTest, YesToOverwriteNeverRemovesAFileSwappedInMeanwhile) {
  struct Case {
    int divideType;
    const char* first;
    const char* second;
  };
  for (const Case& c : {Case{0, "a.001", "a.002"}, Case{3, "a.d01", "a.d02"}}) {
    SCOPED_TRACE(c.divideType);
    TempDir out;
    settings.DivideType = c.divideType;
    settings.DivideExt = 1;
    WriteFileBytes(dir / "a.bin", RandomBytes(3000, 4));
    WriteFileBytes(out / c.second, {1, 1, 1});
    PrepareDivideJob(job, dir / "a.bin", out / c.first, 2000);
    job.PiecesOnFixedDrive = 0;
    HookPrompter asked;
    asked.script.SetFallback(Answer::kYes);
    asked.onAsk = [&](const Message& m) {
      if (m.kind == MessageKind::kOverwrite) {
        WriteFileBytes(out / "other.tmp", {7, 8, 9});
        ASSERT_EQ(std::rename((out / "other.tmp").c_str(), (out / c.second).c_str()), 0);
      }
    };
    StubDataFile stubs;
    c.divideType == 0 ? RunType0Divide(settings, job, asked, system)
                      : RunTypedDivide(settings, job, asked, system, stubs);

    EXPECT_EQ(ReadFileBytes(out / c.second), (std::vector<std::uint8_t>{7, 8, 9}));
    EXPECT_EQ(job.Outcome(), JobOutcome::kFailed);
    EXPECT_EQ(job.OutcomeError().value(), EEXIST);
    EXPECT_EQ(job.OutcomePath(), out / c.second);
    EXPECT_EQ(job.JobMessage(), "分割を中止しました");
    EXPECT_EQ(asked.script.Messages().back().text, "ファイルを作成できません");
  }
}

// Fitted to media of 1,100 bytes, a Type3 series of 36,000,000 bytes would
// need about 33,240 pieces: the divide stops when it has written the 32,895th,
// the last its next headers can number, and says why.
TEST_F(MediaTest, FittingToSmallMediaStopsAtTheLastPieceNumber) {
  WriteFileBytes(dir / "a.bin", RandomBytes(36000000, 3));
  FakeVolumes volumes;
  volumes.SetFree(1100);
  settings.DivideType = 3;
  PrepareDivideJob(job, dir / "a.bin", dir / "a.d01", kDivideSizeFitsFreeSpace, 33);
  StubDataFile stubs;
  RunTypedDivide(settings, job, prompter, volumes, stubs);

  const auto m = prompter.script.Messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].text, "分割ファイルが作成できる上限の32,895個に達したため、分割を中止します。");
  EXPECT_EQ(m[0].icon, Icon::kStop);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(job.Outcome(), JobOutcome::kFailed);
  EXPECT_EQ(std::filesystem::file_size(dir / "a.d32895"), 1100u);
  EXPECT_FALSE(std::filesystem::exists(dir / "a.d32896"));
}

// Sizes beyond 2 GB against free space told in 64 bits and the largest file
// the destination's file system holds (FAT: 4,294,967,295 bytes).
TEST(MediaCheckSizes, PieceSizesFollowTheFreeSpaceTheTypeAndTheFileSystem) {
  constexpr std::uint64_t kFat = 4294967295;
  constexpr std::uint64_t kTenGiB = 10737418240;
  struct Case {
    bool fitFree;
    std::int64_t fixedSize;
    std::int64_t largestPiece;
    std::uint64_t free;
    std::uint64_t largestFile;
    std::int64_t pieceSize;  // 0: the capacity request, answered Cancel
  } cases[] = {
      {false, 4700372992, 1LL << 40, kTenGiB, kFat, 4294967295},
      {false, 4294967295, 1LL << 40, kTenGiB, kFat, 4294967295},
      {false, 4700372992, 1LL << 40, kTenGiB, 0, 4700372992},
      {true, 0, 1LL << 40, kTenGiB, kFat, 4294967295},
      {true, 0, 1LL << 40, kTenGiB, 0, 10737418240},
      {true, 0, 2147483647, kTenGiB, kFat, 2147483647},  // Type1 and Type2
      {true, 0, 1LL << 40, 3000000000, kFat, 3000000000},
      {false, 8543666176, 1LL << 40, 5368709120, 0, 0},
  };
  for (const Case& c : cases) {
    FakeVolumes volumes;
    volumes.SetFree(c.free, c.largestFile);
    ScriptedPrompter prompter;
    prompter.SetFallback(Answer::kCancel);
    MediaCheckRule rule;
    rule.fitFree = c.fitFree;
    rule.fixedSize = c.fixedSize;
    rule.largestPiece = c.largestPiece;
    const MediaCheckResult r = RunMediaCheck(volumes, prompter, "/media/stick/a.d01", rule);
    EXPECT_EQ(r.passed, c.pieceSize != 0) << c.fixedSize << " " << c.free;
    EXPECT_EQ(r.pieceSize, c.pieceSize) << c.fixedSize << " " << c.free;
    if (c.pieceSize == 0) {
      ASSERT_EQ(prompter.Shortages().size(), 1u);
      EXPECT_EQ(prompter.Shortages()[0].requiredLine, "必要容量： 8,543,666,176Bytes");
      EXPECT_EQ(prompter.Shortages()[0].freeLine, "空き容量： 5,368,709,120Bytes");
    }
  }
}

}  // namespace
}  // namespace kv::test
