// Divides and restores whose system calls fail: a read with EIO in the middle
// of a piece, writes cut short or refused with ENOSPC, fsync and close
// failing, every call interrupted once. Each job ends with its message, its
// outcome and the errno, the bytes on disk are the completed steps in order,
// and what the job read is untouched.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "core/piece_names.h"
#include "core/stub_data_file.h"
#include "divide/type0_divide.h"
#include "divide/typed_divide.h"
#include "restore/restore_output.h"
#include "restore/type0_restore.h"
#include "restore/typed_restore.h"
#include "tests/divide/divide_fixture.h"
#include "tests/faults/faulty_system_calls.h"
#include "tests/restore/series_writer.h"

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int64_t kMiB = 1024 * 1024;
const std::string kIoErrorText =
    "ファイル入出力エラーが発生しました。繰り返し発生する場合は、ディスクのエラーチェックをしてくだ"
    "さい。";

const Bytes& Data() {
  static const Bytes data = RandomBytes(static_cast<std::size_t>(3 * kMiB + 300), 8);
  return data;
}

bool IsPrefix(const Bytes& part, const Bytes& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

struct Expected {
  JobOutcome outcome;
  int error;
};

void ExpectEnd(const JobState& job, const ScriptedPrompter& prompter, Expected expected,
               const std::string& doneText, const std::string& stoppedText) {
  EXPECT_EQ(job.Outcome(), expected.outcome);
  EXPECT_EQ(job.OutcomeError().value(), expected.error);
  EXPECT_EQ(job.RunState.load(), kRunIdle);
  const bool done = expected.outcome == JobOutcome::kDone;
  EXPECT_EQ(job.JobMessage(), done ? doneText : stoppedText);
  // The notices: the end of a Type0 series is a question, answered Cancel.
  std::vector<std::string> texts;
  for (const Message& m : prompter.Messages()) {
    if (m.kind == MessageKind::kNotice) {
      texts.push_back(m.text);
    }
  }
  EXPECT_EQ(texts, done ? std::vector<std::string>{} : std::vector<std::string>{kIoErrorText});
}

// A failure names the file its call failed on.
void ExpectCause(const JobState& job, const Faults& faults) {
  const std::string path = job.OutcomePath();
  const bool named =
      path.size() >= faults.target.size() &&
      path.compare(path.size() - faults.target.size(), std::string::npos, faults.target) == 0;
  EXPECT_TRUE(job.Outcome() != JobOutcome::kFailed || named) << path;
}

class FaultInjection : public ::testing::TestWithParam<int> {
 protected:
  int Type() const { return GetParam(); }
  std::string Source() const { return dir / "src.bin"; }
  // The n-th piece (from 1) of a divide into `folder`.
  std::string Piece(const std::string& folder, int n) const {
    return Type() == 0 ? dir / (folder + "/src." + std::to_string(1000 + n).substr(1))
                       : SetPieceNumber(dir / (folder + "/src.d01"), n, PieceScheme::kDScheme);
  }
  void SetUp() override {
    WriteFileBytes(Source(), Data());
    settings.DivideExt = 1;
    std::filesystem::create_directory(dir / "ref");
    Divide("ref", prompter, true);
    ASSERT_EQ(job.Outcome(), JobOutcome::kDone);
    for (int n = 1; std::filesystem::exists(Piece("ref", n)); ++n) {
      reference.push_back(ReadFileBytes(Piece("ref", n)));
    }
    ASSERT_EQ(reference.size(), 4u);
  }
  void Divide(const std::string& folder, Prompter& asked, bool fixedDrive) {
    settings.DivideType = Type();
    PrepareDivideJob(job, Source(), Piece(folder, 1), static_cast<std::int32_t>(kMiB));
    job.PiecesOnFixedDrive = fixedDrive;
    if (Type() == 0) {
      RunType0Divide(settings, job, asked, volumes);
    } else {
      RunTypedDivide(settings, job, asked, volumes, stubs);
    }
  }
  // The pieces written to `folder`, each the start of the fault-free piece.
  std::vector<Bytes> CheckedPieces(const std::string& folder) {
    std::vector<Bytes> pieces;
    for (int n = 1; std::filesystem::exists(Piece(folder, n)); ++n) {
      pieces.push_back(ReadFileBytes(Piece(folder, n)));
      EXPECT_TRUE(IsPrefix(pieces.back(), reference.at(pieces.size() - 1))) << n;
    }
    return pieces;
  }

  TempDir dir;
  DivideSettings settings;
  JobState job;
  ScriptedPrompter prompter;
  SystemVolumes volumes;
  StubDataFile stubs;
  std::vector<Bytes> reference;
};

TEST_P(FaultInjection, DivideEndsWithTheCauseAndTheCompletedSteps) {
  const std::string second = Type() == 0 ? ".002" : ".d02";
  const std::string first = Type() == 0 ? ".001" : ".d01";
  struct Case {
    const char* name;
    Faults faults;
    bool fixedDrive;
    Expected expected;
    std::size_t pieces;
  };
  const std::vector<Case> cases = {
      {"read fails in piece 2",
       {.target = "src.bin", .readFailsAt = 3 * kMiB / 2 + 100},
       true,
       {JobOutcome::kFailed, EIO},
       2},
      {"piece 2 fills its medium",
       {.target = second, .writeFullAt = 100000},
       true,
       {JobOutcome::kFailed, ENOSPC},
       2},
      {"writes come back short",
       {.target = second, .shortWrites = true},
       true,
       {JobOutcome::kDone, 0},
       4},
      {"every call interrupted",
       {.target = "", .interruptEveryCall = true},
       true,
       {JobOutcome::kDone, 0},
       4},
      {"the source grows while it is divided",
       {.target = "src.bin", .grows = true},
       true,
       {JobOutcome::kFailed, 0},
       4},
      {"close of piece 1 fails",
       {.target = first, .closeFails = true},
       true,
       {JobOutcome::kFailed, EIO},
       1},
      {"fsync of a removable piece 1 fails",
       {.target = first, .fsyncFails = true},
       false,
       {JobOutcome::kFailed, EIO},
       1},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const std::string folder = "run" + std::to_string(i);
    std::filesystem::create_directory(dir / folder);
    ScriptedPrompter asked;
    asked.SetFallback(Answer::kYes);
    FaultySystemCalls calls(c.faults);
    {
      const ScopedSystemCalls inPlace(calls);
      Divide(folder, asked, c.fixedDrive);
    }
    ExpectEnd(job, asked, c.expected, "分割が終了しました", "分割を中止しました");
    ExpectCause(job, c.faults);
    const std::vector<Bytes> pieces = CheckedPieces(folder);
    EXPECT_EQ(pieces.size(), c.pieces);
    if (c.expected.outcome == JobOutcome::kDone) {
      EXPECT_TRUE(pieces == reference);
    }
    if (c.faults.interruptEveryCall) {
      EXPECT_GT(calls.Interrupted(), 8);
    }
    EXPECT_TRUE(ReadFileBytes(Source()) == Data());
  }
  // A read failing in the middle of a step leaves the steps before it, and
  // only those: for raw slices, the source's first 1.5 MiB.
  if (Type() == 0) {
    EXPECT_EQ(std::filesystem::file_size(Piece("run0", 2)), static_cast<std::uintmax_t>(kMiB / 2));
  }
}

// On a removable medium each piece is on it, bytes and name, before the next
// medium is asked for and before the job ends; a folder that cannot be put
// on its medium stops the job. On a fixed drive nothing is flushed.
TEST_P(FaultInjection, RemovablePiecesAreOnTheMediumBeforeTheNextQuestionAndTheEnd) {
  struct Case {
    const char* name;
    bool fixedDrive;
    bool folderFsyncFails;
    Expected expected;
    int flushedPieces;
  };
  const std::vector<Case> cases = {
      {"removable", false, false, {JobOutcome::kDone, 0}, 4},
      {"folder fsync fails", false, true, {JobOutcome::kFailed, EIO}, 1},
      {"fixed drive", true, false, {JobOutcome::kDone, 0}, 0},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const std::string folder = "flush" + std::to_string(i);
    std::filesystem::create_directory(dir / folder);
    FaultySystemCalls calls({.target = "", .folderFsyncFails = c.folderFsyncFails});
    HookPrompter asked;
    asked.script.SetFallback(Answer::kYes);
    asked.onAsk = [&](const Message& m) { calls.Note("ask " + m.text); };
    {
      const ScopedSystemCalls inPlace(calls);
      Divide(folder, asked, c.fixedDrive);
    }
    // The final message closes the journal: the last piece is flushed within the job.
    calls.Note("end " + job.JobMessage());

    std::vector<std::string> expected;
    for (int n = 1; n <= c.flushedPieces; ++n) {
      expected.push_back("fsync " + Piece(folder, n));
      expected.push_back("fsync folder " + dir / folder);
      if (n < 4 && !c.folderFsyncFails) {
        expected.push_back("ask 次のファイルは「" + Piece(folder, n + 1) + "」になります");
      }
    }
    if (c.folderFsyncFails) {
      expected.push_back("ask " + kIoErrorText);
    }
    expected.push_back(c.expected.outcome == JobOutcome::kDone ? "end 分割が終了しました"
                                                               : "end 分割を中止しました");
    EXPECT_EQ(calls.Journal(), expected);
    ExpectEnd(job, asked.script, c.expected, "分割が終了しました", "分割を中止しました");
    EXPECT_EQ(job.OutcomePath(), c.folderFsyncFails ? dir / folder : "");
    EXPECT_EQ(CheckedPieces(folder).size(), c.folderFsyncFails ? 1u : 4u);
  }
}

// Each case runs twice: into a new file, and over an existing one the user
// agreed to replace, which keeps its bytes unless the restore ends restored.
TEST_P(FaultInjection, RestoreEndsWithTheCauseAndNeverMoreThanItRead) {
  const std::string out = dir / "out.bin";
  const Bytes old = {'o', 'l', 'd'};
  SeriesLayout layout;
  layout.divideSize = kMiB;
  const WrittenSeries series = WriteTypedSeries(dir / "ref/typed.d01", Data(), layout);
  const std::string second = Type() == 0 ? Piece("ref", 2) : series.pieces.at(1);
  const Bytes secondBefore = ReadFileBytes(second);
  struct Case {
    const char* name;
    Faults faults;
    Expected expected;
  };
  const std::vector<Case> cases = {
      {"read fails in piece 2",
       {.target = second, .readFailsAt = 200000},
       {JobOutcome::kFailed, EIO}},
      {"piece 2's head cannot be read",
       {.target = second, .readFailsAt = 10},
       {JobOutcome::kFailed, EIO}},
      {"the restored file fills its medium",
       {.target = "out.bin", .writeFullAt = 3 * kMiB / 2},
       {JobOutcome::kFailed, ENOSPC}},
      {"writes come back short",
       {.target = "out.bin", .shortWrites = true},
       {JobOutcome::kDone, 0}},
      {"every call interrupted",
       {.target = "", .interruptEveryCall = true},
       {JobOutcome::kDone, 0}},
      {"close of the restored file fails",
       {.target = "out.bin", .closeFails = true},
       {JobOutcome::kFailed, EIO}},
      {"the restored file cannot take the old one's place",
       {.target = "out.bin", .renameFails = EXDEV},
       {JobOutcome::kFailed, EXDEV}},
  };
  for (const bool replacing : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (replacing ? ", over an existing file" : ""));
      std::filesystem::remove(out);
      if (replacing) {
        WriteFileBytes(out, old);
      }
      PrepareTypedRestore(job, series, out);
      job.ReplacesOutput = replacing;
      if (Type() == 0) {
        job.SourceSplitType = 0;
        job.SetJobSource(Piece("ref", 1));
      }
      // The bytes go to the file beside the one they replace; the rename goes onto its name.
      Faults faults = c.faults;
      if (replacing && faults.target == "out.bin" && faults.renameFails == 0) {
        faults.target = "out.bin.kvpart";
      }
      ScriptedPrompter asked;
      {
        FaultySystemCalls calls(faults);
        const ScopedSystemCalls inPlace(calls);
        if (Type() == 0) {
          RunType0Restore(settings, job, asked);
        } else {
          RunTypedRestore(settings, job, asked);
        }
        PutRestoredOutputInPlace(job, true);
      }
      const bool renameCase = c.faults.renameFails != 0;
      const Expected expected =
          renameCase && !replacing ? Expected{JobOutcome::kDone, 0} : c.expected;
      // The rename's failure is reported by the front end, after the worker's end.
      if (!renameCase) {
        ExpectEnd(job, asked, expected, "復元が終了しました", "復元を中止しました");
      }
      EXPECT_EQ(job.Outcome(), expected.outcome);
      EXPECT_EQ(job.OutcomeError().value(), expected.error);
      ExpectCause(job, faults);
      const std::string beside = job.OutputBeside();
      EXPECT_EQ(beside.empty(), !replacing || expected.outcome == JobOutcome::kDone) << beside;
      if (!beside.empty()) {
        EXPECT_EQ(beside, out + ".kvpart");
        EXPECT_EQ(ReadFileBytes(out), old);
      }
      const Bytes restored = ReadFileBytes(beside.empty() ? out : beside);
      EXPECT_TRUE(IsPrefix(restored, Data())) << restored.size();
      if (expected.outcome == JobOutcome::kDone || c.faults.closeFails || renameCase) {
        EXPECT_EQ(restored.size(), Data().size());
      } else {
        EXPECT_LT(restored.size(), Data().size());
      }
      EXPECT_TRUE(ReadFileBytes(second) == secondBefore);
      if (!beside.empty()) {
        std::filesystem::remove(beside);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Types, FaultInjection, ::testing::Values(0, 3),
                         [](const auto& param_info) {
                           return "Type" + std::to_string(param_info.param);
                         });

}  // namespace
}  // namespace kv::test
