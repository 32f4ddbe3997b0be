// Recovery sets written and used by this program alone: every combination of
// lost pieces within the recovery rebuilt, damaged pieces kept aside, damaged
// recovery volumes left out, and the stripes that bound memory.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "recovery/par2_reader.h"
#include "recovery/repair.h"
#include "recovery/series_recovery.h"
#include "tests/recovery/recovery_test_files.h"

namespace kv::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::size_t> kLengths = {3000, 3000, 3000, 3000, 1234};

class RecoveryRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    // 3 slices a piece; 6 recovery slices rebuild any 2 pieces.
    written = WriteProtectedFiles(dir, kLengths, 1024, 6);
    for (std::size_t i = 0; i < kLengths.size(); ++i) {
      originals.push_back(ReadFileBytes(Piece(i)));
    }
  }
  std::string Piece(std::size_t i) const { return dir / ("s.d0" + std::to_string(i + 1)); }
  par2::RepairReport Repair() { return par2::RepairSet(dir.Path().string() + "/", "s", true); }
  void ExpectOriginals() {
    for (std::size_t i = 0; i < kLengths.size(); ++i) {
      EXPECT_EQ(ReadFileBytes(Piece(i)), originals[i]) << i;
    }
  }

  TempDir dir;
  std::vector<std::string> written;
  std::vector<std::vector<std::uint8_t>> originals;
};

TEST_F(RecoveryRoundTrip, WritesTheIndexAndPar2cmdlineVolumes) {
  EXPECT_EQ(written, (std::vector<std::string>{"s.par2", "s.vol0+1.par2", "s.vol1+2.par2",
                                               "s.vol3+3.par2"}));
  EXPECT_EQ(Repair().outcome, par2::RepairOutcome::kNothingToDo);
}

TEST_F(RecoveryRoundTrip, EveryCombinationOfUpToTwoLostPiecesIsRebuilt) {
  for (std::size_t a = 0; a < kLengths.size(); ++a) {
    for (std::size_t b = a; b < kLengths.size(); ++b) {
      fs::remove(Piece(a));
      fs::remove(Piece(b));
      const par2::RepairReport report = Repair();
      ASSERT_EQ(report.outcome, par2::RepairOutcome::kRepaired) << a << b;
      EXPECT_EQ(report.rebuilt.size(), a == b ? 1u : 2u);
      EXPECT_TRUE(report.keptAs.empty());
      ExpectOriginals();
    }
  }
}

TEST_F(RecoveryRoundTrip, DamagedPieceIsKeptAsideAndRebuilt) {
  std::vector<std::uint8_t> damaged = originals[4];
  damaged[1000] ^= 1;
  damaged.push_back(7);  // and a byte too many
  WriteFileBytes(Piece(4), damaged);
  WriteFileBytes(Piece(4) + ".1", {1});  // the first free name is taken
  const par2::RepairReport report = Repair();
  ASSERT_EQ(report.outcome, par2::RepairOutcome::kRepaired);
  EXPECT_EQ(report.keptAs, std::vector<std::string>{"s.d05.2"});
  EXPECT_EQ(ReadFileBytes(Piece(4) + ".2"), damaged);
  EXPECT_EQ(ReadFileBytes(Piece(4) + ".1"), std::vector<std::uint8_t>{1});
  ExpectOriginals();
}

TEST_F(RecoveryRoundTrip, TooMuchLostIsNotRepairableAndChangesNothing) {
  for (std::size_t i = 0; i < 3; ++i) {
    fs::remove(Piece(i));
  }
  const par2::RepairReport report = Repair();
  EXPECT_EQ(report.outcome, par2::RepairOutcome::kNotRepairable);
  EXPECT_EQ(report.badSlices, 9u);
  EXPECT_EQ(report.recoverySlices, 6u);
  EXPECT_FALSE(par2::Repairable(report));
  EXPECT_EQ(par2::BlocksLacking(report), 3u);
  EXPECT_EQ(par2::UnsoundFiles(report), (std::vector<std::string>{"s.d01", "s.d02", "s.d03"}));
  EXPECT_FALSE(fs::exists(Piece(0)));
  EXPECT_FALSE(fs::exists(Piece(0) + ".rebuilding"));
}

// A job being cancelled stops the reading: nothing is rebuilt.
TEST_F(RecoveryRoundTrip, AStopEndsTheReadingAndRebuildsNothing) {
  fs::remove(Piece(1));
  // The pieces are read on two threads: the question comes before the first
  // and once all are read, and between chunks on this thread.
  int asked = 0;
  const par2::RepairReport report =
      par2::RepairSet(dir.Path().string() + "/", "s", true,
                      {.stopAsked = [&asked] { return ++asked > 1; }, .confirm = {}});
  EXPECT_NE(report.outcome, par2::RepairOutcome::kRepaired);
  EXPECT_FALSE(fs::exists(Piece(1)));
  EXPECT_EQ(Repair().outcome, par2::RepairOutcome::kRepaired);
  ExpectOriginals();
}

TEST_F(RecoveryRoundTrip, DamagedRecoveryVolumeIsLeftOut) {
  std::vector<std::uint8_t> volume = ReadFileBytes(dir / "s.vol3+3.par2");
  volume[100] ^= 0xFF;  // inside its first recovery slice
  WriteFileBytes(dir / "s.vol3+3.par2", volume);
  fs::remove(Piece(1));
  par2::RepairReport report = Repair();
  EXPECT_EQ(report.recoverySlices, 5u);
  ASSERT_EQ(report.outcome, par2::RepairOutcome::kRepaired);
  ExpectOriginals();
  fs::remove(Piece(1));
  fs::remove(Piece(2));
  report = Repair();
  EXPECT_EQ(report.outcome, par2::RepairOutcome::kNotRepairable);
}

// A set whose description of s.d02 holds another MD5: the piece rebuilt from
// its own (sound) slices does not match it, so nothing is put in place.
TEST_F(RecoveryRoundTrip, RebuiltPieceThatFailsItsCheckIsNotPutInPlace) {
  const std::vector<std::uint8_t> index = ReadFileBytes(dir / "s.par2");
  const MemoryRange range(index);
  std::vector<std::uint8_t> forged;
  par2::KnownPackets known;
  for (par2::FoundPacket& p : par2::ScanPackets(range, known).packets) {
    const std::string name(p.body.begin() + std::min<std::ptrdiff_t>(56, std::ssize(p.body)),
                           p.body.end());
    if (p.header.type == par2::PacketType::kFileDescription && name.starts_with("s.d02")) {
      p.body[16] ^= 1;  // the whole-file MD5
    }
    const par2::Bytes packet = par2::MakePacket(p.header.setId, p.header.type, p.body);
    forged.insert(forged.end(), packet.begin(), packet.end());
  }
  for (const std::string& name : written) {
    fs::remove(dir / name);
  }
  WriteFileBytes(dir / "s.par2", forged);
  const par2::RepairReport report = Repair();
  EXPECT_EQ(report.outcome, par2::RepairOutcome::kFailed);
  EXPECT_EQ(report.failure.path, Piece(1) + ".rebuilding");
  EXPECT_TRUE(report.rebuilt.empty());
  EXPECT_FALSE(fs::exists(Piece(1) + ".rebuilding"));
  EXPECT_FALSE(fs::exists(Piece(1) + ".1"));
  ExpectOriginals();
}

TEST_F(RecoveryRoundTrip, ALinkInAPiecesPlaceIsMovedAsideNotFollowed) {
  const std::string target = dir / "elsewhere";
  WriteFileBytes(target, {1, 2, 3});
  fs::remove(Piece(2));
  fs::create_symlink(target, Piece(2));
  const par2::RepairReport report = Repair();
  ASSERT_EQ(report.outcome, par2::RepairOutcome::kRepaired);
  EXPECT_TRUE(fs::is_symlink(Piece(2) + ".1"));
  EXPECT_EQ(ReadFileBytes(target), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_FALSE(fs::is_symlink(Piece(2)));
  ExpectOriginals();
}

TEST(RecoveryStripes, NarrowStripesWriteTheSameBytes) {
  TempDir wide;
  TempDir narrow;
  const std::vector<std::size_t> lengths = {5000, 4999, 17};
  const auto names = WriteProtectedFiles(wide, lengths, 2048, 5);
  ASSERT_EQ(WriteProtectedFiles(narrow, lengths, 2048, 5, 100), names);
  for (const std::string& name : names) {
    EXPECT_EQ(ReadFileBytes(narrow / name), ReadFileBytes(wide / name)) << name;
  }
}

TEST(RecoveryStripes, FilesOfOneSliceReadOnceWriteTheSameBytes) {
  // One slice a file, odd lengths: 4 recovery slices are summed while hashed
  // when the budget holds them twice over (2 x 4 x 9000 bytes), in stripes
  // read again below that; 5 always in stripes.
  const std::vector<std::size_t> lengths = {9000, 8999, 1, 4097, 8191};
  for (const std::size_t budget : {std::size_t{72000}, std::size_t{71999}, std::size_t{100}}) {
    TempDir once;
    TempDir stripes;
    const auto names = WriteProtectedFiles(once, lengths, 9000, 4, 64 * 1024 * 1024);
    ASSERT_EQ(WriteProtectedFiles(stripes, lengths, 9000, 4, budget), names);
    TempDir five;
    TempDir fiveNarrow;
    const auto fiveNames = WriteProtectedFiles(five, lengths, 9000, 5, 64 * 1024 * 1024);
    ASSERT_EQ(WriteProtectedFiles(fiveNarrow, lengths, 9000, 5, budget), fiveNames);
    for (const std::string& name : fiveNames) {
      EXPECT_EQ(ReadFileBytes(fiveNarrow / name), ReadFileBytes(five / name)) << name << budget;
    }
    for (const std::string& name : names) {
      EXPECT_EQ(ReadFileBytes(stripes / name), ReadFileBytes(once / name)) << name << budget;
    }
    std::filesystem::remove(once / "s.d02");
    std::filesystem::remove(once / "s.d05");
    EXPECT_EQ(par2::RepairSet(once.Path().string() + "/", "s", true).rebuilt,
              (std::vector<std::string>{"s.d02", "s.d05"}));
    EXPECT_EQ(ReadFileBytes(once / "s.d05"), ReadFileBytes(stripes / "s.d05"));
  }
}

TEST(RecoveryWriter, RefusesToWriteOverAnExistingSetAndLeavesNothing) {
  TempDir dir;
  WriteFileBytes(dir / "s.vol1+1.par2", {9});
  EXPECT_TRUE(WriteProtectedFiles(dir, {100, 100}, 100, 2).empty());
  EXPECT_FALSE(fs::exists(dir / "s.par2"));
  EXPECT_FALSE(fs::exists(dir / "s.vol0+1.par2"));
  EXPECT_EQ(ReadFileBytes(dir / "s.vol1+1.par2"), std::vector<std::uint8_t>{9});
}

// A stop leaves no file of the set, whether it comes while the files are
// opened and hashed (the slices summed on the way), while the set's files are
// created, or once they all are (the slices summed in stripes and written).
TEST(RecoveryWriter, AStopAtEachStageLeavesNoFileOfTheSet) {
  struct Case {
    const char* what;
    std::vector<std::size_t> lengths;
    std::uint64_t sliceSize;
    std::uint32_t recovery;
    std::size_t budget;
  };
  const Case cases[] = {
      {"one slice a file, summed while hashed", {9000, 8999, 4097}, 9000, 2, 64 * 1024 * 1024},
      {"one slice a file, summed in stripes", {9000, 8999, 4097}, 9000, 5, 100},
      {"many slices a file", {5000, 4999, 17}, 2048, 3, 100},
  };
  // When the stop comes: by the checks asked, and the set's files there of how many.
  using When = std::function<bool(int asked, std::size_t files, std::size_t setFiles)>;
  const std::pair<const char*, When> stops[] = {
      {"at the first check", [](int asked, std::size_t, std::size_t) { return asked == 1; }},
      {"at the third check", [](int asked, std::size_t, std::size_t) { return asked == 3; }},
      {"once the index is there", [](int, std::size_t files, std::size_t) { return files == 1; }},
      {"once every file is there",
       [](int, std::size_t files, std::size_t setFiles) { return files == setFiles; }},
  };
  for (const Case& c : cases) {
    for (const auto& [when, stopNow] : stops) {
      SCOPED_TRACE(std::string(c.what) + ", " + when);
      TempDir dir;
      par2::RecoveryRequest request =
          ProtectionRequest(dir, c.lengths, c.sliceSize, c.recovery, c.budget);
      int asked = 0;
      bool stopped = false;
      request.stopAsked = [&] {
        std::size_t files = 0;
        for (const auto& entry : fs::directory_iterator(dir.Path())) {
          files += entry.path().extension() == ".par2" ? 1U : 0U;
        }
        stopped = stopped || stopNow(++asked, files, par2::VolumeCounts(c.recovery).size() + 1);
        return stopped;
      };
      const par2::RecoveryOutcome outcome = par2::WriteRecoveryFiles(request);
      ASSERT_TRUE(stopped);
      EXPECT_FALSE(outcome.done);
      EXPECT_EQ(outcome.failure.error.value(), ECANCELED);
      EXPECT_EQ(outcome.failure.path, dir / "s.par2");
      EXPECT_TRUE(outcome.written.empty());
      for (const auto& entry : fs::directory_iterator(dir.Path())) {
        EXPECT_NE(entry.path().extension(), ".par2") << entry.path();
      }
    }
  }
}

}  // namespace
TEST(RecoverySetPlace, FoundFromAPieceOrARecoveryFile) {
  struct Case {
    const char* path;
    const char* folder;
    const char* setName;
  };
  const Case cases[] = {
      {"/m/report.d01", "/m/", "report"}, {"/m/report.exe", "/m/", "report"},
      {"data.001", "", "data"},           {"/m/x.vol03+4.par2", "/m/", "x"},
      {"/m/x.par2", "/m/", "x"},
  };
  for (const Case& c : cases) {
    const std::optional<par2::SetPlace> place = par2::SetPlaceOf(c.path);
    ASSERT_TRUE(place) << c.path;
    EXPECT_EQ(place->folder, c.folder) << c.path;
    EXPECT_EQ(place->setName, c.setName) << c.path;
  }
  EXPECT_FALSE(par2::SetPlaceOf("/m/report.txt"));
}

}  // namespace kv::test
