// The Type0 divide: raw slices equal to GNU split's, cuts at line ends and
// strings, cancel, the refusal to write over the source, removable media.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/piece_names.h"
#include "divide/type0_divide.h"
#include "platform/volumes.h"
#include "tests/divide/divide_fixture.h"

namespace kv::test {
namespace {

class Type0DivideTest : public ::testing::Test {
 protected:
  void Divide(const std::string& source, const std::string& dest, std::int32_t size) {
    PrepareDivideJob(job, source, dest, size);
    RunType0Divide(settings, job, prompter, volumes);
  }
  std::vector<std::string> Pieces(const std::string& first) {
    return ExistingPieces(first, [&](int i) {
      return SetPieceNumber(
          first, i - 1 + settings.DivideExt,
          settings.DivideExtAddC ? PieceScheme::kAddedChar : PieceScheme::kThreeDigit);
    });
  }
  std::vector<std::uint8_t> MakeSource(const std::string& name, std::vector<std::uint8_t> bytes) {
    WriteFileBytes(dir / name, bytes);
    return bytes;
  }

  TempDir dir;
  DivideSettings settings;
  JobState job;
  HookPrompter prompter;
  SystemVolumes volumes;
};

TEST_F(Type0DivideTest, PiecesEqualGnuSplitForZeroToThreePiecesWorth) {
  settings.DivideExt = 1;
  for (const std::size_t size : {1u, 999u, 1000u, 1001u, 2000u, 2500u, 2999u, 3000u, 3001u}) {
    SCOPED_TRACE(size);
    TempDir work;
    const auto data = RandomBytes(size, static_cast<std::uint32_t>(size));
    WriteFileBytes(work / "data.bin", data);
    Divide(work / "data.bin", work / "data.001", 1000);
    EXPECT_EQ(job.RunState.load(), 0);
    EXPECT_EQ(job.JobMessage(), "分割が終了しました");
    EXPECT_EQ(job.ProgressPermille.load(), 1000);
    EXPECT_TRUE(prompter.script.Messages().empty());

    const auto ours = Pieces(work / "data.001");
    const auto theirs = RunGnuSplit(work / "data.bin", 1000, work / "split.");
    ASSERT_FALSE(theirs.empty()) << "GNU split did not run";
    ASSERT_EQ(ours.size(), theirs.size());
    for (std::size_t i = 0; i < ours.size(); ++i) {
      EXPECT_EQ(ReadFileBytes(ours[i]), ReadFileBytes(theirs[i])) << ours[i];
    }
    EXPECT_EQ(Concatenate(ours), data);
  }
}

TEST_F(Type0DivideTest, NamesCountFromDivideExtAndTheAddedCharacter) {
  settings.DivideExt = 0;
  settings.DivideExtAddC = true;
  settings.DivideExtChar = 'x';
  const auto data = MakeSource("a.txt", RandomBytes(2500, 7));
  Divide(dir / "a.txt", dir / "a.x00", 1000);
  EXPECT_EQ(ReadFileBytes(dir / "a.x00").size(), 1000u);
  EXPECT_EQ(ReadFileBytes(dir / "a.x01").size(), 1000u);
  EXPECT_EQ(ReadFileBytes(dir / "a.x02").size(), 500u);
  EXPECT_FALSE(std::filesystem::exists(dir / "a.x03"));
  EXPECT_EQ(job.JobDest(), dir / "a.x02");
  EXPECT_TRUE(job.DestChanged.load());
  EXPECT_TRUE(job.MessageChanged.load());
  EXPECT_EQ(job.StatusText(), "2kBytes");
}

TEST_F(Type0DivideTest, AnUnusableAddedCharacterNumbersTheWholeSeriesInThreeDigits) {
  // A stored character that cannot stand in a name (none, a line end, "0")
  // gives ".001" for the first piece, and the pieces past 99 must follow the
  // same scheme: x.100, not x.0100, or a restore would stop at x.099.
  for (const char c : {'\0', '\n', '0'}) {
    SCOPED_TRACE(static_cast<int>(c));
    TempDir folder;
    settings.DivideType = 0;
    settings.DivideExtAddC = true;
    settings.DivideExtChar = c;
    settings.DivideExt = 1;
    ASSERT_EQ(FirstPieceExtension(settings, false), ".001");
    WriteFileBytes(folder / "x.bin", RandomBytes(101, 3));
    PrepareDivideJob(job, folder / "x.bin", folder / "x.001", 1);
    RunType0Divide(settings, job, prompter, volumes);
    EXPECT_EQ(job.JobMessage(), "分割が終了しました");
    EXPECT_TRUE(std::filesystem::exists(folder / "x.099"));
    EXPECT_TRUE(std::filesystem::exists(folder / "x.100"));
    EXPECT_TRUE(std::filesystem::exists(folder / "x.101"));
    EXPECT_FALSE(std::filesystem::exists(folder / "x.0100"));
  }
}

TEST_F(Type0DivideTest, AStoredDivideExtOtherThanOneCountsFromZero) {
  settings.DivideExt = 7;
  MakeSource("a.txt", RandomBytes(1500, 5));
  Divide(dir / "a.txt", dir / "a.000", 1000);
  EXPECT_EQ(ReadFileBytes(dir / "a.000").size(), 1000u);
  EXPECT_EQ(ReadFileBytes(dir / "a.001").size(), 500u);
  EXPECT_FALSE(std::filesystem::exists(dir / "a.008"));
}

// Text with an early CR LF, the first one at or after offset 1,000 at 1,009-1,010.
std::vector<std::uint8_t> LineText() {
  std::vector<std::uint8_t> t(3000, 'a');
  t[500] = '\r';
  t[501] = '\n';
  t[1009] = '\r';
  t[1010] = '\n';
  t[2500] = '\r';
  t[2501] = '\n';
  return t;
}

TEST_F(Type0DivideTest, LineSplitCutsAfterOrBeforeTheLineEnd) {
  settings.Type0Type = 1;
  settings.TimingSize = 1;
  const auto data = MakeSource("t.txt", LineText());

  settings.TimingString = 1;
  Divide(dir / "t.txt", dir / "t.001", 1000);
  EXPECT_EQ(job.JobMessage(), "分割が終了しました");
  auto pieces = Pieces(dir / "t.001");
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(ReadFileBytes(pieces[0]).size(), 1011u);
  EXPECT_EQ(ReadFileBytes(pieces[1]).size(), 1491u);  // 2,011 + 1,000 .. CR LF at 2,500-2,501
  EXPECT_EQ(Concatenate(pieces), data);

  for (const auto& p : pieces) {
    std::filesystem::remove(p);
  }
  settings.TimingString = 0;
  Divide(dir / "t.txt", dir / "t.001", 1000);
  pieces = Pieces(dir / "t.001");
  EXPECT_EQ(ReadFileBytes(pieces[0]).size(), 1009u);
  const auto second = ReadFileBytes(pieces[1]);
  ASSERT_GE(second.size(), 2u);
  EXPECT_EQ(second[0], '\r');
  EXPECT_EQ(second[1], '\n');
  EXPECT_EQ(Concatenate(pieces), data);
}

TEST_F(Type0DivideTest, TimingSizeZeroCutsExactlyAtTheSize) {
  settings.Type0Type = 1;
  settings.TimingSize = 0;
  MakeSource("t.txt", LineText());
  Divide(dir / "t.txt", dir / "t.001", 1000);
  EXPECT_EQ(ReadFileBytes(dir / "t.001").size(), 1000u);
  EXPECT_EQ(ReadFileBytes(dir / "t.003").size(), 1000u);
}

TEST_F(Type0DivideTest, StringSplitIgnoresCaseAndFindsAStringAcrossTwoWindows) {
  settings.Type0Type = 2;
  settings.TimingSize = 1;
  settings.TimingString = 1;
  settings.DivideString = "abc";
  std::vector<std::uint8_t> data(4000, 'z');
  // The first window after the nominal size covers 1,000..2,535: "AbC" lies across its end.
  data[2535] = 'A';
  data[2536] = 'b';
  data[2537] = 'C';
  MakeSource("s.bin", data);
  Divide(dir / "s.bin", dir / "s.001", 1000);
  const auto pieces = Pieces(dir / "s.001");
  ASSERT_EQ(pieces.size(), 2u);
  const auto first = ReadFileBytes(pieces[0]);
  ASSERT_EQ(first.size(), 2538u);
  EXPECT_EQ(std::string(first.end() - 3, first.end()), "AbC");  // the source's own bytes
  EXPECT_EQ(Concatenate(pieces), data);
}

TEST_F(Type0DivideTest, CaretMStandsForALineEndAndEmptyStringCutsAtTheSize) {
  settings.Type0Type = 2;
  settings.TimingSize = 1;
  settings.TimingString = 0;
  settings.DivideString = "x^m";
  const auto data = MakeSource("t.txt", [] {
    auto t = LineText();
    t[1008] = 'X';
    return t;
  }());
  Divide(dir / "t.txt", dir / "t.001", 1000);
  EXPECT_EQ(ReadFileBytes(dir / "t.001").size(), 1008u);

  settings.DivideString.clear();
  Divide(dir / "t.txt", dir / "u.001", 1000);
  EXPECT_EQ(ReadFileBytes(dir / "u.001").size(), 1000u);
  EXPECT_EQ(Concatenate(Pieces(dir / "u.001")), data);
}

TEST_F(Type0DivideTest, StringAfterANulByteInTheSameWindowIsPassedOver) {
  settings.Type0Type = 2;
  settings.TimingSize = 1;
  settings.DivideString = "Q";
  std::vector<std::uint8_t> data(3000, 'z');
  data[1100] = 0;
  data[1200] = 'Q';  // same window as the NUL: not seen
  data[2700] = 'Q';  // next window (from 2,024), before any NUL
  MakeSource("n.bin", data);
  Divide(dir / "n.bin", dir / "n.001", 1000);
  EXPECT_EQ(ReadFileBytes(dir / "n.001").size(), 2701u);
}

TEST_F(Type0DivideTest, CancelAtTheNextMediumLeavesOneStepInTheLastPiece) {
  settings.DivideExt = 1;
  const auto data = MakeSource("big.bin", RandomBytes(10000, 3));
  PrepareDivideJob(job, dir / "big.bin", dir / "big.001", 4000);
  job.PiecesOnFixedDrive = 0;
  prompter.onAsk = [&](const Message&) { job.RunState.store(kRunCancelRequested); };
  prompter.script.Script({Answer::kYes});
  RunType0Divide(settings, job, prompter, volumes);

  EXPECT_EQ(job.RunState.load(), 0);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(ReadFileBytes(dir / "big.001"),
            std::vector<std::uint8_t>(data.begin(), data.begin() + 4000));
  EXPECT_EQ(ReadFileBytes(dir / "big.002"),
            std::vector<std::uint8_t>(data.begin() + 4000, data.begin() + 5024));
  EXPECT_FALSE(std::filesystem::exists(dir / "big.003"));
}

TEST_F(Type0DivideTest, RefusesToWriteOverItsOwnSource) {
  settings.DivideExt = 1;
  const auto data = MakeSource("x.002", RandomBytes(2500, 9));
  Divide(dir / "x.002", dir / "x.001", 1000);
  EXPECT_EQ(job.RunState.load(), 0);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(ReadFileBytes(dir / "x.002"), data);
  const auto messages = prompter.script.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text,
            "元のファイルと作成ファイルが同一です。作成ファイル名を変更してください");
  EXPECT_EQ(messages[0].caption, "Kolvanto");
  EXPECT_EQ(messages[0].icon, Icon::kWarning);
  EXPECT_EQ(messages[0].buttons, Buttons::kOk);
}

TEST_F(Type0DivideTest, RemovableMediaAskForEachPieceAndConfirmOverwriteWithYesPreselected) {
  settings.DivideExt = 1;
  const auto data = MakeSource("r.bin", RandomBytes(2500, 4));
  WriteFileBytes(dir / "r.002", {1, 2, 3});
  PrepareDivideJob(job, dir / "r.bin", dir / "r.001", 1000);
  job.PiecesOnFixedDrive = 0;
  // next: Yes; overwrite: No -> next again: Yes; overwrite: Yes; third piece: Yes.
  prompter.script.Script({Answer::kYes, Answer::kNo, Answer::kYes, Answer::kYes, Answer::kYes});
  RunType0Divide(settings, job, prompter, volumes);

  EXPECT_EQ(job.JobMessage(), "分割が終了しました");
  EXPECT_EQ(Concatenate(Pieces(dir / "r.001")), data);
  const auto m = prompter.script.Messages();
  ASSERT_EQ(m.size(), 5u);
  const std::string second = dir / "r.002";
  EXPECT_EQ(m[0].text, "次のファイルは「" + second + "」になります");
  EXPECT_EQ(m[0].caption, "Kolvanto");
  EXPECT_EQ(m[0].buttons, Buttons::kYesNo);
  EXPECT_EQ(m[0].icon, Icon::kInformation);
  EXPECT_EQ(m[1].text, second + " は\nすでに存在しますが、上書きしてもよろしいですか");
  EXPECT_EQ(m[1].caption, "Kolvanto  上書き確認");
  EXPECT_EQ(m[1].icon, Icon::kQuestion);
  EXPECT_EQ(m[1].defaultButton, Answer::kYes);
  EXPECT_EQ(m[2].text, m[0].text);
  EXPECT_EQ(m[4].text, "次のファイルは「" + (dir / "r.003") + "」になります");
}

// On a fixed drive the following pieces replace what stands at their names,
// never writing through a link: the link goes, its target is kept as it was.
TEST_F(Type0DivideTest, FollowingPiecesReplaceLinksAndUnreadableFilesWithoutTouchingTargets) {
  const std::vector<std::uint8_t> victim{'k', 'e', 'e', 'p'};
  WriteFileBytes(dir / "victim.txt", victim);
  const auto data = MakeSource("r.bin", RandomBytes(3500, 6));
  std::filesystem::create_symlink(dir / "victim.txt", dir / "r.002");
  std::filesystem::create_symlink(dir / "nowhere.txt", dir / "r.003");
  WriteFileBytes(dir / "r.004", {1, 2, 3});
  std::filesystem::permissions(dir / "r.004", std::filesystem::perms::owner_write);
  settings.DivideExt = 1;
  Divide(dir / "r.bin", dir / "r.001", 1000);

  EXPECT_EQ(job.JobMessage(), "分割が終了しました");
  EXPECT_TRUE(prompter.script.Messages().empty());
  for (const char* piece : {"r.002", "r.003", "r.004"}) {
    EXPECT_FALSE(std::filesystem::is_symlink(dir / piece)) << piece;
  }
  EXPECT_EQ(Concatenate(Pieces(dir / "r.001")), data);
  EXPECT_EQ(ReadFileBytes(dir / "victim.txt"), victim);
  EXPECT_FALSE(std::filesystem::exists(dir / "nowhere.txt"));
}

TEST_F(Type0DivideTest, NoToTheNextMediumStops) {
  MakeSource("r.bin", RandomBytes(2500, 4));
  PrepareDivideJob(job, dir / "r.bin", dir / "r.001", 1000);
  job.PiecesOnFixedDrive = 0;
  prompter.script.Script({Answer::kNo});
  RunType0Divide(settings, job, prompter, volumes);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(job.RunState.load(), 0);
  EXPECT_EQ(ReadFileBytes(dir / "r.001").size(), 1000u);
  EXPECT_FALSE(std::filesystem::exists(dir / "r.002"));
}

TEST_F(Type0DivideTest, DestinationThatCannotBeCreatedOffersRetryThenStops) {
  MakeSource("r.bin", RandomBytes(2500, 4));
  std::filesystem::create_directory(dir / "r.001");  // a folder cannot be opened as a piece
  prompter.script.Script({Answer::kRetry, Answer::kCancel});
  Divide(dir / "r.bin", dir / "r.001", 1000);
  const auto m = prompter.script.Messages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].text, "ファイルを作成できません");
  EXPECT_EQ(m[0].buttons, Buttons::kRetryCancel);
  EXPECT_EQ(m[0].icon, Icon::kWarning);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(job.RunState.load(), 0);
}

TEST_F(Type0DivideTest, MissingSourceIsAnInputOutputError) {
  PrepareDivideJob(job, dir / "gone.bin", dir / "gone.001", 1000);
  job.SourceSize = 5000;
  RunType0Divide(settings, job, prompter, volumes);
  const auto m = prompter.script.Messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(
      m[0].text,
      "ファイル入出力エラーが発生しました。繰り返し発生する場合は、ディスクのエラーチェックをし"
      "てください。");
  EXPECT_EQ(m[0].icon, Icon::kStop);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(job.RunState.load(), 0);
}

}  // namespace
}  // namespace kv::test
