#include "restore/type0_restore.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/divide_settings.h"
#include "core/job_state.h"
#include "core/prompter.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

namespace kv {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;
using Bytes = std::vector<std::uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) {
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

Bytes Tail(const Bytes& b, std::size_t from) {
  return from >= b.size() ? Bytes{} : Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.end());
}

class Type0RestoreTest : public ::testing::Test {
 protected:
  // Writes the pieces under the given names and prepares the job as the
  // analysis and Execute leave it for a restore from the first of them.
  void Prepare(const std::vector<std::pair<std::string, Bytes>>& pieces, bool threeDigit = true) {
    for (const auto& [name, bytes] : pieces) {
      WriteFileBytes(dir_ / name, bytes);
    }
    job_.SourceSplitType = 0;
    job_.ThreeDigitNumbering = threeDigit ? 1 : 0;
    job_.PiecesOnFixedDrive = 1;
    job_.SetJobSource(dir_ / pieces.front().first);
    job_.SetJobDest(dir_ / "restored.bin");
    job_.ResetProgress();
    job_.RunState.store(kRunRunning);
  }
  void Run() { RunType0Restore(settings_, job_, prompter_); }
  Bytes Result() const { return ReadFileBytes(dir_ / "restored.bin"); }
  std::string Missing(const std::string& name) const {
    return "Kolvanto|ファイルが見つかりません\n" + (dir_ / name) +
           "\nこれで完了の場合はｷｬﾝｾﾙを選んでください";
  }

  test::TempDir dir_;
  DivideSettings settings_;
  JobState job_;
  test::ScriptedPrompter prompter_;
};

TEST_F(Type0RestoreTest, AppendsThreePiecesUntilTheMissingOneIsAcceptedAsTheEnd) {
  const Bytes a = test::RandomBytes(700000, 1), b = test::RandomBytes(700000, 2),
              c = test::RandomBytes(1234, 3);
  Prepare({{"x.000", a}, {"x.001", b}, {"x.002", c}});
  prompter_.Script({Answer::kCancel});
  Run();

  EXPECT_EQ(Result(), Concat({a, b, c}));
  ASSERT_EQ(prompter_.Transcript(), std::vector<std::string>{Missing("x.003")});
  const Message m = prompter_.Messages()[0];
  EXPECT_EQ(m.buttons, Buttons::kRetryCancel);
  EXPECT_EQ(m.icon, Icon::kQuestion);
  EXPECT_EQ(job_.JobMessage(), "復元が終了しました");
  EXPECT_EQ(job_.RunState.load(), 0);
  EXPECT_EQ(job_.JobSource(), dir_ / "x.003");
  EXPECT_TRUE(job_.SourceNameChanged.load());
  EXPECT_TRUE(job_.MessageChanged.load());
  // 1,401,234 bytes are 1,368 whole KiB.
  EXPECT_EQ(job_.StatusText(), "1,368kBytes");
  EXPECT_EQ(job_.ProgressPermille.load(), 1000);
}

TEST_F(Type0RestoreTest, TheFinalCountIncludesTheLastStep) {
  // 1,000 bytes are 0 KiB; only the last step of the second piece reaches 1 KiB.
  Prepare({{"x.000", test::RandomBytes(1000, 8)}, {"x.001", test::RandomBytes(100, 9)}});
  prompter_.Script({Answer::kCancel});
  Run();
  EXPECT_EQ(job_.JobMessage(), "復元が終了しました");
  EXPECT_EQ(job_.StatusText(), "1kBytes");
}

TEST_F(Type0RestoreTest, FollowsTheNumberingItStartsFrom) {
  const Bytes a = test::RandomBytes(3000, 4), b = test::RandomBytes(10, 5);
  Prepare({{"x.001", a}, {"x.002", b}, {"x.000", Bytes(50, 0xEE)}});
  prompter_.Script({Answer::kCancel});
  Run();
  EXPECT_EQ(Result(), Concat({a, b}));
  EXPECT_EQ(prompter_.Transcript(), std::vector<std::string>{Missing("x.003")});
}

TEST_F(Type0RestoreTest, AddedCharacterStaysInEveryName) {
  const Bytes a = test::RandomBytes(2048, 6), b = test::RandomBytes(5, 7);
  Prepare({{"x.a01", a}, {"x.a02", b}, {"x.003", Bytes(9, 1)}}, /*threeDigit=*/false);
  prompter_.Script({Answer::kCancel});
  Run();
  EXPECT_EQ(Result(), Concat({a, b}));
  EXPECT_EQ(prompter_.Transcript(), std::vector<std::string>{Missing("x.a03")});
}

TEST_F(Type0RestoreTest, HeadCutDropsLeadingBytesOfFirstAndLaterPieces) {
  const Bytes a = test::RandomBytes(3000, 8), b = test::RandomBytes(2000, 9),
              c = test::RandomBytes(100, 10);
  Prepare({{"x.000", a}, {"x.001", b}, {"x.002", c}});
  settings_.HeadCut = true;
  settings_.HeadCutFirst = 16;
  settings_.HeadCutNext = 8;
  Run();
  EXPECT_EQ(Result(), Concat({Tail(a, 16), Tail(b, 8), Tail(c, 8)}));
  EXPECT_EQ(job_.JobMessage(), "復元が終了しました");
}

TEST_F(Type0RestoreTest, AStoredNegativeCutCutsNothing) {
  const Bytes a = test::RandomBytes(3000, 18), b = test::RandomBytes(700, 19);
  Prepare({{"x.000", a}, {"x.001", b}});
  settings_.HeadCut = true;
  settings_.HeadCutFirst = -5;
  settings_.HeadCutNext = -1;
  Run();
  EXPECT_EQ(Result(), Concat({a, b}));
  EXPECT_EQ(job_.JobMessage(), "復元が終了しました");
}

TEST_F(Type0RestoreTest, CutLargerThanAPieceAndEmptyPiecesContributeNothing) {
  const Bytes a = test::RandomBytes(5000, 11), b = test::RandomBytes(1500, 12),
              d = test::RandomBytes(4000, 13);
  // x.001 is shorter than the cut, x.002 is empty; the restore goes on to x.003.
  Prepare({{"x.000", a}, {"x.001", b}, {"x.002", {}}, {"x.003", d}});
  settings_.HeadCut = true;
  settings_.HeadCutFirst = 3000;
  settings_.HeadCutNext = 2000;
  Run();
  EXPECT_EQ(Result(), Concat({Tail(a, 3000), Tail(d, 2000)}));
  EXPECT_EQ(prompter_.Transcript(), std::vector<std::string>{Missing("x.004")});
}

TEST_F(Type0RestoreTest, EmptyPieceWithoutCutIsPassedOver) {
  const Bytes a = test::RandomBytes(100, 14), c = test::RandomBytes(100, 15);
  Prepare({{"x.000", a}, {"x.001", {}}, {"x.002", c}});
  Run();
  EXPECT_EQ(Result(), Concat({a, c}));
}

// Records the progress channel as it stands at each question.
class SnapshotPrompter final : public Prompter {
 public:
  SnapshotPrompter(JobState& job, std::vector<Answer> answers,
                   std::function<void(int)> onAsk = nullptr)
      : job_(job), answers_(std::move(answers)), onAsk_(std::move(onAsk)) {}
  Answer Ask(const Message& m) override {
    messages.push_back(m);
    holds.push_back(job_.ProgressHold.load());
    permilles.push_back(job_.ProgressPermille.load());
    if (onAsk_) {
      onAsk_(static_cast<int>(messages.size()));
    }
    return messages.size() <= answers_.size() ? answers_[messages.size() - 1] : Answer::kCancel;
  }
  Answer AskCapacityShortage(const CapacityShortage&) override { return Answer::kCancel; }

  std::vector<Message> messages;
  std::vector<int> holds, permilles;

 private:
  JobState& job_;
  std::vector<Answer> answers_;
  std::function<void(int)> onAsk_;
};

TEST_F(Type0RestoreTest, RemovableMediaAskForEachPieceAndNoEndsTheSeries) {
  const Bytes a = test::RandomBytes(4096, 16), b = test::RandomBytes(4096, 17);
  Prepare({{"x.000", a}, {"x.001", b}, {"x.002", test::RandomBytes(10, 18)}});
  job_.PiecesOnFixedDrive = 0;
  SnapshotPrompter prompter(job_, {Answer::kYes, Answer::kNo});
  RunType0Restore(settings_, job_, prompter);

  EXPECT_EQ(Result(), Concat({a, b}));
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0].text,
            "次に" + (dir_ / "x.001") + "を読み込みます\nこれで完了の場合はいいえを選んでください");
  EXPECT_EQ(prompter.messages[1].text,
            "次に" + (dir_ / "x.002") + "を読み込みます\nこれで完了の場合はいいえを選んでください");
  EXPECT_EQ(prompter.messages[0].caption, "Kolvanto");
  EXPECT_EQ(prompter.messages[0].buttons, Buttons::kYesNo);
  EXPECT_EQ(prompter.messages[0].icon, Icon::kQuestion);
  // Between pieces the display settles on a full bar.
  EXPECT_EQ(prompter.holds, (std::vector<int>{10, 10}));
  EXPECT_EQ(prompter.permilles, (std::vector<int>{1000, 1000}));
  EXPECT_EQ(job_.JobMessage(), "復元が終了しました");
}

TEST_F(Type0RestoreTest, RetryFindsAPieceThatArrivedMeanwhile) {
  const Bytes a = test::RandomBytes(1500, 19), b = test::RandomBytes(700, 20);
  Prepare({{"x.000", a}});
  SnapshotPrompter prompter(job_, {Answer::kRetry, Answer::kCancel}, [&](int count) {
    if (count == 1) {
      WriteFileBytes(dir_ / "x.001", b);
    }
  });
  RunType0Restore(settings_, job_, prompter);
  EXPECT_EQ(Result(), Concat({a, b}));
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_NE(prompter.messages[0].text.find(dir_ / "x.001"), std::string::npos);
  EXPECT_NE(prompter.messages[1].text.find(dir_ / "x.002"), std::string::npos);
  EXPECT_EQ(job_.JobMessage(), "復元が終了しました");
}

TEST_F(Type0RestoreTest, UnreadableFirstPieceOrDestinationEndsAsCancelled) {
  Prepare({{"x.000", Bytes(10, 1)}});
  job_.SetJobSource(dir_ / "nothing.000");
  Run();
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  const Message m = prompter_.Messages()[0];
  EXPECT_EQ(m.text,
            "ファイル入出力エラーが発生しました。繰り返し発生する場合は、ディスクのエラーチェックを"
            "してください。");
  EXPECT_EQ(m.caption, "Kolvanto");
  EXPECT_EQ(m.buttons, Buttons::kOk);
  EXPECT_EQ(m.icon, Icon::kStop);
  EXPECT_EQ(job_.JobMessage(), "復元を中止しました");
  EXPECT_EQ(job_.RunState.load(), 0);

  JobState second;
  second.ThreeDigitNumbering = 1;
  second.SetJobSource(dir_ / "x.000");
  second.SetJobDest(dir_ / "no-such-folder/out.bin");
  second.RunState.store(kRunRunning);
  test::ScriptedPrompter prompter;
  RunType0Restore(settings_, second, prompter);
  EXPECT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(second.JobMessage(), "復元を中止しました");
  EXPECT_EQ(second.RunState.load(), 0);
}

}  // namespace
}  // namespace kv
