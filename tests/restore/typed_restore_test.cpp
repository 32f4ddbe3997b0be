#include "restore/typed_restore.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/divide_settings.h"
#include "core/job_state.h"
#include "core/packed_time.h"
#include "core/prompter.h"
#include "core/typed_header_builder.h"
#include "platform/file_helpers.h"
#include "tests/restore/series_writer.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

namespace kv {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;
using Bytes = std::vector<std::uint8_t>;

const Bytes& Data() {
  static const Bytes data = test::RandomBytes(1000000, 42);
  return data;
}

class TypedRestoreTest : public ::testing::Test {
 protected:
  test::WrittenSeries Write(const Bytes& data, test::SeriesLayout layout,
                            const std::string& first = "data.d01") {
    series_ = test::WriteTypedSeries(dir_ / first, data, layout);
    test::PrepareTypedRestore(job_, series_, dest_);
    return series_;
  }
  void Run() { RunWith(prompter_); }
  // The planner clears the output name before a job; a run here does the same.
  void RunWith(Prompter& prompter) {
    std::error_code ignored;
    std::filesystem::remove(job_.JobDest(), ignored);
    RunTypedRestore(settings_, job_, prompter);
  }
  Bytes Result() const { return ReadFileBytes(dest_); }
  const std::string& Piece(std::size_t index) const { return series_.pieces.at(index); }
  // Rewrites one piece through `edit`.
  template <class F>
  void EditPiece(std::size_t index, F edit) {
    Bytes bytes = ReadFileBytes(Piece(index));
    edit(bytes);
    WriteFileBytes(Piece(index), bytes);
  }
  void ExpectOnlyMessage(const std::string& text, const std::string& caption, Buttons buttons,
                         Icon icon) {
    const auto messages = prompter_.Messages();
    ASSERT_EQ(messages.size(), 1u) << ::testing::PrintToString(prompter_.Transcript());
    EXPECT_EQ(messages[0].text, text);
    EXPECT_EQ(messages[0].caption, caption);
    EXPECT_EQ(messages[0].buttons, buttons);
    EXPECT_EQ(messages[0].icon, icon);
  }
  void ExpectEnd(const std::string& message) {
    EXPECT_EQ(job_.JobMessage(), message);
    EXPECT_EQ(job_.RunState.load(), 0);
  }

  test::TempDir dir_;
  std::string dest_ = dir_ / "restored.bin";
  DivideSettings settings_;
  JobState job_;
  test::ScriptedPrompter prompter_;
  test::WrittenSeries series_;
};

TEST_F(TypedRestoreTest, Type3SeriesIsRebuiltAndGetsTheRecordedTime) {
  test::SeriesLayout layout;
  layout.year = 2003;
  layout.packedTime = PackTime(UtcFields{2003, 12, 31, 23, 30, 0});
  Write(Data(), layout);
  ASSERT_EQ(series_.pieces.size(), 4u);
  EXPECT_EQ(std::filesystem::file_size(Piece(3)), 100087u);
  Run();

  EXPECT_EQ(Result(), Data());
  EXPECT_TRUE(prompter_.Messages().empty());
  ExpectEnd("復元が終了しました");
  EXPECT_EQ(ModifiedTimeUtc(dest_), 1072913400);  // 2003-12-31 23:30:00 UTC
  EXPECT_EQ(job_.JobSource(), dir_ / "data.d04");
  EXPECT_TRUE(job_.SourceNameChanged.load());
  EXPECT_EQ(job_.ProgressPermille.load(), 1000);
  EXPECT_EQ(job_.ProgressHold.load(), 0);
}

TEST_F(TypedRestoreTest, Type1AndType2SeriesAreRebuiltWithoutQuestions) {
  for (int type : {1, 2}) {
    SCOPED_TRACE(type);
    test::SeriesLayout layout;
    layout.type = type;
    Write(Data(), layout, "t" + std::to_string(type) + ".d01");
    ASSERT_EQ(series_.pieces.size(), 4u);
    EXPECT_EQ(std::filesystem::file_size(Piece(3)), type == 1 ? 100024u : 100020u);
    Run();
    EXPECT_EQ(Result(), Data());
    EXPECT_TRUE(prompter_.Messages().empty());
    ExpectEnd("復元が終了しました");
  }
}

TEST_F(TypedRestoreTest, SelfRestoringFirstPieceIsReadBehindItsStub) {
  test::SeriesLayout layout;
  layout.stub = test::RandomBytes(5000, 7);
  layout.year = 0;
  Write(Data(), layout, "data.exe");
  EXPECT_EQ(Piece(1), dir_ / "data.d02");
  Run();
  EXPECT_EQ(Result(), Data());
  ExpectEnd("復元が終了しました");
}

// Notes the output's size whenever a question comes, then lets `inner` answer.
class OutputSizeAtQuestion final : public Prompter {
 public:
  OutputSizeAtQuestion(Prompter& inner, std::string path) : inner_(inner), path_(std::move(path)) {}
  Answer Ask(const Message& message) override {
    sizes.push_back(std::filesystem::file_size(path_));
    return inner_.Ask(message);
  }
  Answer AskCapacityShortage(const CapacityShortage& request) override {
    return inner_.AskCapacityShortage(request);
  }
  std::vector<std::uintmax_t> sizes;

 private:
  Prompter& inner_;
  std::string path_;
};

// The question comes once every byte read so far is in the output.
TEST_F(TypedRestoreTest, AlteredBodyOfAMiddlePieceCanBeForced) {
  Write(Data(), {});
  const std::size_t at = static_cast<std::size_t>(series_.bodyOffsets[1] + 10);
  EditPiece(1, [&](Bytes& b) { b[at] ^= 0xFF; });
  prompter_.Script({Answer::kYes});
  OutputSizeAtQuestion watching(prompter_, dest_);
  RunWith(watching);
  EXPECT_EQ(watching.sizes, (std::vector<std::uintmax_t>{static_cast<std::uintmax_t>(
                                series_.bodyLengths[0] + series_.bodyLengths[1])}));

  ExpectOnlyMessage("ファイルの内容が正しくありません。強行しますか？\n[" + Piece(1) + "]",
                    "Kolvanto 復元確認", Buttons::kYesNo, Icon::kQuestion);
  Bytes expected = Data();
  expected[static_cast<std::size_t>(series_.bodyLengths[0]) + 10] ^= 0xFF;
  EXPECT_EQ(Result(), expected);
  ExpectEnd("復元が終了しました");
}

TEST_F(TypedRestoreTest, AlteredBodyOfAMiddlePieceRefusedEndsTheJob) {
  Write(Data(), {});
  EditPiece(1, [&](Bytes& b) { b[static_cast<std::size_t>(series_.bodyOffsets[1])] ^= 1; });
  prompter_.Script({Answer::kNo});
  Run();
  EXPECT_EQ(prompter_.Messages().size(), 1u);
  ExpectEnd("復元を中止しました");
}

TEST_F(TypedRestoreTest, AlteredLastPieceEndsWithTheErrorMessage) {
  Write(Data(), {});
  EditPiece(3, [&](Bytes& b) { b[static_cast<std::size_t>(series_.bodyOffsets[3] + 99)] ^= 4; });
  Run();
  ExpectOnlyMessage("ファイルの内容が正しくありません。\n[" + Piece(3) + "]", "Kolvanto 復元確認",
                    Buttons::kOk, Icon::kWarning);
  ExpectEnd("復元は終了しましたが、エラーが発生しました。");
  EXPECT_EQ(Result().size(), Data().size());
}

TEST_F(TypedRestoreTest, PieceOfAnotherSeriesRaisesTheQuestion) {
  Write(Data(), {});
  // The series identity follows the marker and the four-byte PieceLength.
  EditPiece(1, [](Bytes& b) { b[9] ^= 0x10; });
  prompter_.Script({Answer::kNo});
  Run();
  ExpectOnlyMessage("「" + Piece(1) + "」は、\n現在復元中のファイルとは異なります。強行しますか？",
                    "Kolvanto 復元確認", Buttons::kYesNo, Icon::kQuestion);
  ExpectEnd("復元を中止しました");
}

TEST_F(TypedRestoreTest, PiecesOutOfTheirPlaceRaiseTheQuestion) {
  // data.d02 and data.d03 exchanged: each is whole and of this series, but
  // its recorded number is not the one its name stands for.
  Write(Data(), {});
  std::filesystem::rename(Piece(1), dir_ / "swap.tmp");
  std::filesystem::rename(Piece(2), Piece(1));
  std::filesystem::rename(dir_ / "swap.tmp", Piece(2));
  prompter_.Script({Answer::kNo});
  Run();
  ExpectOnlyMessage("「" + Piece(1) + "」は、\n現在復元中のファイルとは異なります。強行しますか？",
                    "Kolvanto 復元確認", Buttons::kYesNo, Icon::kQuestion);
  ExpectEnd("復元を中止しました");
}

TEST_F(TypedRestoreTest, Type2CheckByteMismatchAsksUnderTheTwoBlankCaption) {
  test::SeriesLayout layout;
  layout.type = 2;
  Write(Data(), layout);
  EditPiece(2, [](Bytes& b) { b[0] = 0x11; });
  prompter_.Script({Answer::kYes});
  Run();
  ExpectOnlyMessage("「" + Piece(2) + "」は、\n現在復元中のファイルとは異なります。強行しますか？",
                    "Kolvanto  復元確認", Buttons::kYesNo, Icon::kQuestion);
  EXPECT_EQ(Result(), Data());
  ExpectEnd("復元が終了しました");
}

TEST_F(TypedRestoreTest, PieceCutShortIsNamed) {
  for (std::size_t index : {std::size_t{3}, std::size_t{0}}) {
    SCOPED_TRACE(index);
    test::ScriptedPrompter prompter;
    Write(Data(), {});
    EditPiece(index, [](Bytes& b) { b.resize(b.size() - 100); });
    RunWith(prompter);
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].text,
              "ファイルの終端が欠けています。\n[" + Piece(index) + "]");
    EXPECT_EQ(prompter.Messages()[0].caption, "Kolvanto");
    EXPECT_EQ(prompter.Messages()[0].icon, Icon::kStop);
    ExpectEnd("復元を中止しました");
  }
}

TEST_F(TypedRestoreTest, OtherDataBeforeAFollowingMarkerIsPassedOver) {
  // 200 bytes, and 1021 bytes so that the marker straddles the first block's end.
  for (std::size_t junk : {std::size_t{200}, std::size_t{1021}}) {
    SCOPED_TRACE(junk);
    Write(Data(), {});
    EditPiece(1, [&](Bytes& b) {
      const Bytes other(junk, '-');
      b.insert(b.begin(), other.begin(), other.end());
    });
    Run();
    EXPECT_EQ(Result(), Data());
    EXPECT_TRUE(prompter_.Messages().empty());
    ExpectEnd("復元が終了しました");
  }
}

TEST_F(TypedRestoreTest, FollowingPieceWithoutMarkerIsAbnormal) {
  Write(Data(), {});
  WriteFileBytes(Piece(1), Bytes(5000, 'x'));
  prompter_.Script({Answer::kRetry, Answer::kCancel});
  Run();
  const std::string text = "分割ファイルが異常です。\n[" + Piece(1) + "]";
  EXPECT_EQ(prompter_.Transcript(),
            (std::vector<std::string>{"Kolvanto|" + text, "Kolvanto|" + text}));
  EXPECT_EQ(prompter_.Messages()[0].buttons, Buttons::kRetryCancel);
  EXPECT_EQ(prompter_.Messages()[0].icon, Icon::kWarning);
  ExpectEnd("復元を中止しました");
}

TEST_F(TypedRestoreTest, MissingPieceIsAskedForUntilCancel) {
  Write(Data(), {});
  std::filesystem::remove(Piece(2));
  prompter_.Script({Answer::kRetry, Answer::kCancel});
  Run();
  const std::string line = "Kolvanto|ファイルが見つかりません\n" + Piece(2);
  EXPECT_EQ(prompter_.Transcript(), (std::vector<std::string>{line, line}));
  EXPECT_EQ(prompter_.Messages()[0].buttons, Buttons::kRetryCancel);
  EXPECT_EQ(prompter_.Messages()[0].icon, Icon::kWarning);
  ExpectEnd("復元を中止しました");
}

TEST_F(TypedRestoreTest, RemovablePiecesAreAnnouncedAndNoEndsTheJob) {
  Write(Data(), {});
  job_.PiecesOnFixedDrive = 0;
  prompter_.Script({Answer::kYes, Answer::kNo});
  Run();
  ASSERT_EQ(prompter_.Messages().size(), 2u);
  EXPECT_EQ(prompter_.Messages()[1].text, "次に" + Piece(2) + "を読み込みます");
  EXPECT_EQ(prompter_.Messages()[1].caption, "Kolvanto");
  EXPECT_EQ(prompter_.Messages()[1].buttons, Buttons::kYesNo);
  EXPECT_EQ(prompter_.Messages()[1].icon, Icon::kInformation);
  ExpectEnd("復元を中止しました");
}

TEST_F(TypedRestoreTest, TrailerRecordsAreSkippedAndAnUnreadableOneIsBroken) {
  Write(Data(), {});
  // A record with tag 7 and three data bytes before the end tag.
  EditPiece(1, [](Bytes& b) { b.insert(b.end() - 1, {7, 3, 0xAA, 0xBB, 0xCC}); });
  Run();
  EXPECT_EQ(Result(), Data());
  ExpectEnd("復元が終了しました");

  test::ScriptedPrompter prompter;
  Write(Data(), {});
  EditPiece(0, [](Bytes& b) { b.back() = 7; });  // a tag whose length is missing
  RunWith(prompter);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0].text, "ファイルが壊れています。\n[" + Piece(0) + "]");
  EXPECT_EQ(prompter.Messages()[0].caption, "Kolvanto 復元確認");
  EXPECT_EQ(prompter.Messages()[0].icon, Icon::kStop);
  ExpectEnd("復元を中止しました");
}

TEST_F(TypedRestoreTest, SinglePieceWhoseLengthOverstatesItsBody) {
  const Bytes data = test::RandomBytes(5000, 3);
  test::SeriesLayout layout;
  layout.divideSize = 1000000;  // fitted to free space: the header promises more than follows
  Write(data, layout);
  ASSERT_EQ(series_.pieces.size(), 1u);
  ASSERT_GT(job_.FirstPieceLength - job_.HeaderLength, 5000);
  Run();
  EXPECT_EQ(Result(), data);
  EXPECT_TRUE(prompter_.Messages().empty());
  ExpectEnd("復元が終了しました");
}

TEST_F(TypedRestoreTest, HeaderEndingBeforeItsRecordsIsBroken) {
  // First piece: a PieceLength shorter than the header.
  Write(Data(), {});
  job_.FirstPieceLength = 20;
  Run();
  ExpectOnlyMessage("ファイルが壊れています。\n[" + Piece(0) + "]", "Kolvanto", Buttons::kOk,
                    Icon::kStop);
  ExpectEnd("復元を中止しました");

  // Following piece: PieceLength 5 in a 13-byte header.
  test::ScriptedPrompter prompter;
  Write(Data(), {});
  EditPiece(1, [&](Bytes& b) {
    const Bytes header = BuildType3NextHeader(5, series_.layout.seriesId, 2);
    std::copy(header.begin(), header.end(), b.begin());
  });
  RunWith(prompter);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0].text, "ファイルが壊れています。\n[" + Piece(1) + "]");
  ExpectEnd("復元を中止しました");
}

TEST_F(TypedRestoreTest, SmallSourceHasFullProgressWithoutDivisor) {
  const Bytes data = test::RandomBytes(999, 5);
  test::SeriesLayout layout;
  layout.type = 1;
  layout.divideSize = 600;
  Write(data, layout);
  ASSERT_EQ(series_.pieces.size(), 2u);
  Run();
  EXPECT_EQ(Result(), data);
  EXPECT_EQ(job_.ProgressPermille.load(), 1000);
  ExpectEnd("復元が終了しました");
}

TEST_F(TypedRestoreTest, UnopenableFirstPieceOrDestinationEndsWithTheCause) {
  Write(Data(), {});
  job_.SetJobSource(dir_ / "gone.d01");
  prompter_.Script({Answer::kRetry, Answer::kCancel});
  Run();
  EXPECT_EQ(prompter_.Transcript(), (std::vector<std::string>{"Kolvanto|ファイルを開けません",
                                                              "Kolvanto|ファイルを開けません"}));
  EXPECT_EQ(prompter_.Messages()[0].icon, Icon::kWarning);
  ExpectEnd("復元を中止しました");
  EXPECT_EQ(job_.Outcome(), JobOutcome::kFailed);
  EXPECT_EQ(job_.OutcomeError().value(), ENOENT);
  EXPECT_EQ(job_.OutcomePath(), dir_ / "gone.d01");

  test::ScriptedPrompter prompter;
  Write(Data(), {});
  job_.SetJobDest(dir_ / "missing-folder/out.bin");
  RunWith(prompter);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0].text,
            "ファイル入出力エラーが発生しました。繰り返し発生する場合は、ディスクのエラーチェックを"
            "してください。");
  EXPECT_EQ(prompter.Messages()[0].icon, Icon::kStop);
  ExpectEnd("復元を中止しました");
}

// Each way a restore can end, with the kind of every question on the road:
// the command line and the tests answer by kind, never by text.
TEST_F(TypedRestoreTest, EveryEndCarriesItsOutcomeAndEveryQuestionItsKind) {
  struct Case {
    const char* name;
    std::function<void()> damage;
    std::vector<Answer> answers;
    JobOutcome outcome;
    int error;
    std::vector<MessageKind> kinds;
  };
  auto flipBody = [this](std::size_t piece) {
    return [this, piece] {
      const auto at = static_cast<std::size_t>(series_.bodyOffsets[piece] + 5);
      EditPiece(piece, [&](Bytes& b) { b[at] ^= 0x20; });
    };
  };
  const std::vector<Case> cases = {
      {"intact", [] {}, {}, JobOutcome::kDone, 0, {}},
      {"last piece altered",
       flipBody(3),
       {},
       JobOutcome::kDoneWithChecksumError,
       0,
       {MessageKind::kNotice}},
      {"middle piece altered, not forced",
       flipBody(1),
       {Answer::kNo},
       JobOutcome::kCancelled,
       0,
       {MessageKind::kForceDamagedPiece}},
      {"piece of another series, not taken",
       [this] { EditPiece(1, [](Bytes& b) { b[9] ^= 0x10; }); },
       {Answer::kNo},
       JobOutcome::kCancelled,
       0,
       {MessageKind::kForceForeignPiece}},
      {"piece missing",
       [this] { std::filesystem::remove(Piece(2)); },
       {Answer::kRetry, Answer::kCancel},
       JobOutcome::kCancelled,
       0,
       {MessageKind::kNextPieceMissing, MessageKind::kNextPieceMissing}},
      {"piece cut short",
       [this] { EditPiece(2, [](Bytes& b) { b.resize(b.size() / 2); }); },
       {},
       JobOutcome::kFailed,
       0,
       {MessageKind::kNotice}},
      {"destination folder missing",
       [this] { job_.SetJobDest(dir_ / "gone/out.bin"); },
       {},
       JobOutcome::kFailed,
       ENOENT,
       {MessageKind::kNotice}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScriptedPrompter prompter;
    for (Answer a : c.answers) {
      prompter.Script({a});
    }
    Write(Data(), {});
    c.damage();
    RunWith(prompter);
    EXPECT_EQ(job_.Outcome(), c.outcome);
    EXPECT_EQ(job_.OutcomeError().value(), c.error);
    std::vector<MessageKind> kinds;
    for (const Message& m : prompter.Messages()) {
      kinds.push_back(m.kind);
    }
    EXPECT_EQ(kinds, c.kinds);
  }
}

}  // namespace
}  // namespace kv
