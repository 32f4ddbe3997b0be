// Recovery data computed while dividing: the set equals, byte for byte, the
// one written afterwards over the same pieces, Debian's par2 accepts it, no
// piece is read back (pieces taken away or replaced once written change
// nothing), it goes onto the next medium when it does not fit, and pieces
// that break their prediction give no set at all.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "core/stub_data_file.h"
#include "divide/piece_prediction.h"
#include "divide/recovery_tap.h"
#include "divide/type0_divide.h"
#include "divide/typed_divide.h"
#include "recovery/protect_series.h"
#include "tests/divide/divide_fixture.h"
#include "tests/faults/faulty_system_calls.h"
#include "tests/support/fake_volumes.h"
#include "tests/support/stub_data_builder.h"

namespace kv::test {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::vector<std::uint8_t>>;

class DivideRecoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "out");
    fs::create_directories(dir / "shelf");
    volumes.SetFree(1ULL << 40);
    prompter.script.SetFallback(Answer::kYes);
  }
  // Divides `source` into dir/out/`first` with recovery for `recovery`
  // pieces computed on the way; the tap once the job is over.
  std::unique_ptr<RecoveryTap> Divide(const std::string& source, const std::string& first,
                                      std::int32_t divideSize, std::uint32_t recovery,
                                      std::size_t budget = par2::kAccumulatorBudget) {
    PrepareDivideJob(job, dir / source, dir / ("out/" + first), divideSize);
    job.PiecesOnFixedDrive = onFixedDrive;
    job.SelfRestoreJob = selfRestoring;
    std::optional<std::vector<par2::ExpectedFile>> pieces = PredictPieces(settings, job, stubs);
    EXPECT_TRUE(pieces.has_value());
    auto tap = std::make_unique<RecoveryTap>(pieces.value_or(std::vector<par2::ExpectedFile>{}),
                                             recovery, budget);
    EXPECT_TRUE(tap->Start(dir.Path().string()));
    if (settings.DivideType == 0 && !selfRestoring) {
      RunType0Divide(settings, job, prompter, volumes, tap.get());
    } else {
      RunTypedDivide(settings, job, prompter, volumes, stubs, tap.get());
    }
    EXPECT_EQ(job.JobMessage(), "分割が終了しました");
    return tap;
  }
  // The files of `folder` whose names hold ".par2", by name.
  Files RecoveryFiles(const std::string& folder) {
    Files files;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (name.find(".par2") != std::string::npos) {
        files[name] = ReadFileBytes(entry.path().string());
      }
    }
    return files;
  }
  // What ProtectSeries writes over copies of `pieces` (file names in `from`).
  Files ReferenceSet(const std::string& from, const std::vector<std::string>& pieces,
                     std::uint32_t recovery) {
    const std::string ref = dir / "ref";
    fs::remove_all(ref);
    fs::create_directories(ref);
    for (const std::string& name : pieces) {
      fs::copy_file(from + "/" + name, ref + "/" + name);
    }
    EXPECT_TRUE(par2::ProtectSeries(ref + "/" + pieces.front(), recovery).written.done);
    return RecoveryFiles(ref);
  }
  std::vector<std::string> PieceNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() != ".par2") {
        names.push_back(entry.path().filename().string());
      }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return (a.ends_with(".exe") ? "" : a) < (b.ends_with(".exe") ? "" : b);
    });
    return names;
  }
  bool Par2Verifies(const std::string& folder, const std::string& index) {
    const std::string command = "cd '" + folder + "' && par2 verify -q '" + index + "' >/dev/null";
    return std::system(command.c_str()) == 0;
  }
  // Takes every file out of dir/out, as taking its medium out of the drive
  // would; a piece leaves a file of other bytes under its name when `replace`.
  void TakeMediumOut(bool replace) {
    for (const auto& entry : fs::directory_iterator(dir / "out")) {
      const std::string name = entry.path().filename().string();
      if (fs::exists(dir / ("shelf/" + name))) {
        fs::remove(entry.path());  // what an earlier change left in its place
        continue;
      }
      fs::rename(entry.path(), dir / ("shelf/" + name));
      if (replace && entry.path().extension() != ".par2") {
        WriteFileBytes(entry.path().string(),
                       RandomBytes(fs::file_size(dir / ("shelf/" + name)), 99));
      }
    }
  }

  TempDir dir;
  DivideSettings settings;
  JobState job;
  HookPrompter prompter;
  FakeVolumes volumes;
  StubDataFile stubs;
  bool onFixedDrive = true;
  bool selfRestoring = false;
};

TEST_F(DivideRecoveryTest, TheSetComputedWhileDividingIsTheOneWrittenOverThePieces) {
  WriteFileBytes(dir / "Kolvanto.dat",
                 BuildStubDataFile(2, 0, {{"WIN32", std::vector<std::uint8_t>(3001, 0x4D)}}));
  ASSERT_TRUE(stubs.LoadStubDataFile(dir / "Kolvanto.dat"));
  struct Case {
    const char* what;
    int type;
    bool selfRestoring;
    const char* source;
    const char* first;
    std::size_t sourceSize;
    std::int32_t divideSize;
    std::uint32_t recovery;
    std::size_t budget;
    std::vector<std::string> written;
  } cases[] = {
      {"Type0",
       0,
       false,
       "data.bin",
       "data.001",
       100001,
       30000,
       2,
       par2::kAccumulatorBudget,
       {"data.par2", "data.vol0+1.par2", "data.vol1+1.par2"}},
      {"Type1",
       1,
       false,
       "data.bin",
       "data.d01",
       100001,
       30001,
       1,
       par2::kAccumulatorBudget,
       {"data.par2", "data.vol0+1.par2"}},
      {"Type2",
       2,
       false,
       "data.bin",
       "data.d01",
       90000,
       30000,
       3,
       par2::kAccumulatorBudget,
       {"data.par2", "data.vol0+1.par2", "data.vol1+2.par2"}},
      {"Type3, pieces past 16 KiB",
       3,
       false,
       "data.bin",
       "data.d01",
       100001,
       30000,
       2,
       par2::kAccumulatorBudget,
       {"data.par2", "data.vol0+1.par2", "data.vol1+1.par2"}},
      {"Type3, whole pieces and their trailers within 16 KiB",
       3,
       false,
       "data.bin",
       "data.d01",
       12345,
       2001,
       3,
       par2::kAccumulatorBudget,
       {"data.par2", "data.vol0+1.par2", "data.vol1+2.par2"}},
      {"self-restoring",
       3,
       true,
       "data.bin",
       "data.exe",
       50000,
       10000,
       1,
       par2::kAccumulatorBudget,
       {"data.par2", "data.vol0+1.par2"}},
      {"Japanese name",
       3,
       false,
       "報告書.doc",
       "報告書.d01",
       70000,
       20000,
       2,
       par2::kAccumulatorBudget,
       {"報告書.par2", "報告書.vol0+1.par2", "報告書.vol1+1.par2"}},
      {"slices in a temporary file",
       2,
       false,
       "data.bin",
       "data.d01",
       100001,
       30000,
       3,
       1000,
       {"data.par2", "data.vol0+1.par2", "data.vol1+2.par2"}},
  };
  // On a fixed drive the set is computed from the pieces read back; on
  // removable media from the bytes as they are written. Both give the same set.
  for (const bool fixed : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (fixed ? ", fixed drive" : ", removable medium"));
      fs::remove_all(dir / "out");
      fs::create_directories(dir / "out");
      WriteFileBytes(dir / c.source, RandomBytes(c.sourceSize, 7));
      settings.DivideType = c.type;
      settings.DivideExt = 1;
      selfRestoring = c.selfRestoring;
      onFixedDrive = fixed;
      const std::unique_ptr<RecoveryTap> tap =
          Divide(c.source, c.first, c.divideSize, c.recovery, c.budget);
      ASSERT_TRUE(tap->Written()) << static_cast<int>(tap->Fault()) << tap->Outcome().failure.path
                                  << tap->Outcome().failure.error.message();
      EXPECT_EQ(tap->ReadsBack(), fixed);
      EXPECT_EQ(tap->Outcome().written, c.written);
      const Files set = RecoveryFiles(dir / "out");
      EXPECT_EQ(set, ReferenceSet(dir / "out", PieceNames(dir / "out"), c.recovery));
      EXPECT_TRUE(Par2Verifies(dir / "out", c.written.front()));
    }
  }
}

TEST_F(DivideRecoveryTest, RemovableMediaGetTheSetWithoutAPieceReadBack) {
  WriteFileBytes(dir / "data.bin", RandomBytes(100001, 8));
  settings.DivideType = 3;
  onFixedDrive = false;
  std::vector<std::string> asked;
  prompter.onAsk = [&](const Message& m) {
    asked.push_back(m.text);
    TakeMediumOut(true);
  };
  // Room for a piece and the index, not for a volume as well.
  volumes.SetFree(30500);
  const std::unique_ptr<RecoveryTap> tap = Divide("data.bin", "data.d01", 30000, 2);
  ASSERT_TRUE(tap->Written());
  const std::string out = dir / "out";
  EXPECT_EQ(asked, (std::vector<std::string>{
                       "次のファイルは「" + out + "/data.d02」になります",
                       "次のファイルは「" + out + "/data.d03」になります",
                       "次のファイルは「" + out + "/data.d04」になります",
                       "次のファイルは「" + out + "/data.vol0+1.par2」になります",
                       "次のファイルは「" + out + "/data.vol1+1.par2」になります",
                   }));
  // The index went with the last piece; each volume onto a medium of its own.
  EXPECT_TRUE(fs::exists(dir / "shelf/data.par2"));
  EXPECT_TRUE(fs::exists(dir / "shelf/data.vol0+1.par2"));
  EXPECT_TRUE(fs::exists(dir / "out/data.vol1+1.par2"));
  TakeMediumOut(false);
  const std::vector<std::string> pieces = {"data.d01", "data.d02", "data.d03", "data.d04"};
  EXPECT_EQ(RecoveryFiles(dir / "shelf"), ReferenceSet(dir / "shelf", pieces, 2));
  EXPECT_TRUE(Par2Verifies(dir / "shelf", "data.par2"));
}

TEST_F(DivideRecoveryTest, DecliningTheNextMediumForTheSetLeavesThePiecesWhole) {
  WriteFileBytes(dir / "data.bin", RandomBytes(70000, 9));
  settings.DivideType = 3;
  onFixedDrive = false;
  volumes.SetFree(30500);
  prompter.script.Script({Answer::kYes, Answer::kYes, Answer::kNo});
  const std::unique_ptr<RecoveryTap> tap = Divide("data.bin", "data.d01", 30000, 1);
  EXPECT_FALSE(tap->Written());
  EXPECT_EQ(tap->Fault(), par2::AccumulatorFault::kNone);
  EXPECT_EQ(tap->Outcome().failure.path, dir / "out/data.vol0+1.par2");
  EXPECT_EQ(job.Outcome(), JobOutcome::kDone);
  // What it had put on the medium in the drive is removed again.
  EXPECT_FALSE(fs::exists(dir / "out/data.par2"));
  EXPECT_FALSE(fs::exists(dir / "out/data.vol0+1.par2"));
}

TEST_F(DivideRecoveryTest, AStopWhileTheSetIsWrittenLeavesNoFileOfIt) {
  WriteFileBytes(dir / "data.bin", RandomBytes(70000, 12));
  settings.DivideType = 3;
  onFixedDrive = false;
  volumes.SetFree(30500);  // the volume asks for a medium of its own
  prompter.onAsk = [&](const Message& m) {
    if (m.text.find(".par2") != std::string::npos) {
      job.RunState.store(kRunCancelRequested);  // the stop button, pressed at that question
    }
  };
  const std::unique_ptr<RecoveryTap> tap = Divide("data.bin", "data.d01", 30000, 1);
  EXPECT_FALSE(tap->Written());
  EXPECT_EQ(tap->Outcome().failure.error.value(), ECANCELED);
  EXPECT_EQ(tap->Outcome().failure.path, dir / "out/data.par2");
  EXPECT_EQ(job.Outcome(), JobOutcome::kDone);
  EXPECT_TRUE(RecoveryFiles(dir / "out").empty());
}

// On a medium about to be taken out, the names not yet on it would be lost.
TEST_F(DivideRecoveryTest, ASetWhoseFolderCannotBeSyncedOnRemovableMediaIsNotWritten) {
  // The folder is synced before each next file of the set and after the last:
  // either failure is the set's, with the system's own error.
  for (const char* closedLast : {"data.par2", "data.vol0+1.par2"}) {
    SCOPED_TRACE(closedLast);
    for (const auto& left : std::filesystem::directory_iterator(dir / "out")) {
      std::filesystem::remove(left.path());
    }
    WriteFileBytes(dir / "data.bin", RandomBytes(70000, 13));
    settings.DivideType = 3;
    onFixedDrive = false;
    FaultySystemCalls calls({.target = closedLast, .folderFsyncFailsOnceClosed = true});
    const ScopedSystemCalls inPlace(calls);
    const std::unique_ptr<RecoveryTap> tap = Divide("data.bin", "data.d01", 30000, 1);
    EXPECT_FALSE(tap->Written());
    EXPECT_EQ(tap->Outcome().failure.error.value(), EIO);
    EXPECT_EQ(tap->Outcome().failure.path, dir / "out");
    EXPECT_EQ(job.Outcome(), JobOutcome::kDone);
  }
}

TEST_F(DivideRecoveryTest, AStoppedDivideWritesNoSet) {
  WriteFileBytes(dir / "data.bin", RandomBytes(100000, 11));
  settings.DivideType = 0;
  settings.DivideExt = 1;
  onFixedDrive = false;
  prompter.script.Script({Answer::kYes, Answer::kNo});  // no third medium
  PrepareDivideJob(job, dir / "data.bin", dir / "out/data.001", 30000);
  job.PiecesOnFixedDrive = false;
  std::optional<std::vector<par2::ExpectedFile>> pieces = PredictPieces(settings, job, stubs);
  ASSERT_TRUE(pieces.has_value());
  RecoveryTap tap(std::move(*pieces), 1);
  ASSERT_TRUE(tap.Start(dir.Path().string()));
  RunType0Divide(settings, job, prompter, volumes, &tap);
  EXPECT_EQ(job.Outcome(), JobOutcome::kCancelled);
  EXPECT_FALSE(tap.Written());
  EXPECT_TRUE(RecoveryFiles(dir / "out").empty());
}

TEST_F(DivideRecoveryTest, PiecesThatBreakTheirPredictionGiveNoSet) {
  struct Case {
    const char* what;
    int type;
    std::size_t changedAt;  // of the source, once the pieces are predicted
    bool refused;
  } cases[] = {
      {"a byte in the first 16 KiB of a piece", 0, 30000 + 100, true},
      {"a byte past the first 16 KiB", 0, 30000 + 20000, false},
      {"a byte in the first 16 KiB of a Type3 piece", 3, 30000 + 100, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir / "out");
    fs::create_directories(dir / "out");
    std::vector<std::uint8_t> bytes = RandomBytes(100000, 10);
    WriteFileBytes(dir / "data.bin", bytes);
    settings.DivideType = c.type;
    settings.DivideExt = 1;
    PrepareDivideJob(job, dir / "data.bin", dir / "out/data.d01", 30000);
    std::optional<std::vector<par2::ExpectedFile>> pieces = PredictPieces(settings, job, stubs);
    ASSERT_TRUE(pieces.has_value());
    bytes[c.changedAt] ^= 0xFF;
    WriteFileBytes(dir / "data.bin", bytes);
    RecoveryTap tap(std::move(*pieces), 1);
    ASSERT_TRUE(tap.Start(dir.Path().string()));
    if (c.type == 0) {
      RunType0Divide(settings, job, prompter, volumes, &tap);
    } else {
      RunTypedDivide(settings, job, prompter, volumes, stubs, &tap);
    }
    EXPECT_EQ(job.Outcome(), JobOutcome::kDone);
    EXPECT_EQ(tap.Written(), !c.refused);
    EXPECT_EQ(tap.Fault(),
              c.refused ? par2::AccumulatorFault::kMismatch : par2::AccumulatorFault::kNone);
    EXPECT_EQ(RecoveryFiles(dir / "out").empty(), c.refused);
    EXPECT_TRUE(c.refused || Par2Verifies(dir / "out", "data.par2"));
  }
}

TEST_F(DivideRecoveryTest, PiecesAreKnownBeforehandOnlyAtAFixedSize) {
  struct Case {
    int type;
    std::int64_t divideSize;
    int type0Type;
    int timingSize;
    bool resume;
    int input;  // the descriptor of a stream read as the source, or -1
    bool known;
  } cases[] = {
      {3, 30000, 0, 0, false, -1, true},  {0, 30000, 0, 0, false, -1, true},
      {0, 30000, 1, 1, false, -1, false},  // lengthened to the next line end
      {0, 30000, 2, 1, false, -1, false},  // lengthened to the next string
      {0, 30000, 1, 0, false, -1, true},  {3, -1, 0, 0, false, -1, false},  // fit to free space
      {3, 30000, 0, 0, true, -1, false},                                    // gone on from
      {0, 30000, 0, 0, false, 0, false},                                    // a stream
  };
  for (const Case& c : cases) {
    settings.DivideType = c.type;
    settings.Type0Type = c.type0Type;
    settings.TimingSize = c.timingSize;
    job.JobDivideSize = c.divideSize;
    job.ResumeDivide = c.resume;
    job.InputDescriptor = c.input;
    EXPECT_EQ(PiecesKnownBeforehand(settings, job), c.known)
        << c.type << " " << c.divideSize << " " << c.type0Type << " " << c.resume << " " << c.input;
  }
}

}  // namespace
}  // namespace kv::test
