// A divide that goes on from the pieces an earlier run left: for every type,
// the pieces kept are those whole, the rest is written again, and the series
// is the one a fresh divide makes.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/piece_names.h"
#include "core/stub_data_file.h"
#include "core/stub_data_writer.h"
#include "divide/series_resume.h"
#include "divide/type0_divide.h"
#include "divide/typed_divide.h"
#include "platform/file_helpers.h"
#include "platform/volumes.h"
#include "tests/divide/divide_fixture.h"

namespace kv::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// What an earlier run left: the pieces of a whole series, then harmed.
struct Harm {
  const char* what;
  std::function<void(const std::vector<std::string>& pieces)> apply;
  int keptPieces;  // whole pieces left untouched by the resumed run
  int wentOnFrom;  // ResumedFromPiece: 0 when it began at the first
};

void Truncate(const std::string& piece, std::uintmax_t length) {
  fs::resize_file(piece, length);
}

const std::vector<Harm>& Harms() {
  static const std::vector<Harm> harms = {
      {"stopped in the first piece",
       [](const auto& p) {
         Truncate(p[0], 5000);
         fs::remove(p[1]), fs::remove(p[2]), fs::remove(p[3]);
       },
       0, 0},
      {"stopped after one piece",
       [](const auto& p) {
         Truncate(p[1], 7000);
         fs::remove(p[2]), fs::remove(p[3]);
       },
       1, 2},
      {"stopped after n-1 pieces", [](const auto& p) { fs::remove(p[3]); }, 3, 4},
      // A piece of an earlier, longer run past the new end goes, or a restore would take it in.
      {"a piece left past the end",
       [](const auto& p) {
         std::string beyond = p[3];
         beyond.back() = '5';
         fs::copy_file(p[2], beyond);
         fs::remove(p[3]);
       },
       3, 4},
      {"a bad piece in the middle",
       [](const auto& p) {
         Bytes b = ReadFileBytes(p[1]);
         b[150000] ^= 0x40;
         WriteFileBytes(p[1], b);
       },
       1, 2},
      {"a short last piece", [](const auto& p) { Truncate(p[3], 50000); }, 3, 4},
      {"every piece whole", [](const auto&) {}, 4, 0},
  };
  return harms;
}

// Free space by piece: the last digit of the piece's name picks it.
class FreeByPiece final : public Volumes {
 public:
  std::map<char, std::uint32_t> free;
  std::uint32_t otherwise = 0;

  FreeSpace QueryFreeSpace(const std::string& fileName) override {
    const auto it = free.find(fileName.back());
    return {true, it == free.end() ? otherwise : it->second, 0, 0, FolderOfFile(fileName)};
  }
  std::string MountPointOf(const std::string&) override { return "/"; }
  bool IsOnRemovable(const std::string&, const std::string&) override { return false; }
  std::string DetectRemovableMounts() override { return {}; }
};

class ResumeTest : public ::testing::TestWithParam<int> {
 protected:
  int Type() const { return GetParam(); }
  std::string First(const std::string& folder) {
    return folder + (Type() == 0 ? "/data.001" : "/data.d01");
  }
  std::string PieceName(const std::string& first, int number) {
    return Type() == 0 ? SetPieceNumber(first, number, PieceScheme::kThreeDigit)
                       : SetPieceNumber(first, number, PieceScheme::kDScheme);
  }
  std::vector<std::string> Pieces(const std::string& first) {
    return ExistingPieces(first, [&](int i) { return PieceName(first, i); });
  }
  void Divide(const std::string& first, bool resume, std::int32_t size = 300000) {
    settings.DivideType = Type();
    settings.DivideExt = 1;
    PrepareDivideJob(job, dir / "data.bin", first, size);
    job.ResumeDivide = resume;
    RunWorker(size == kDivideSizeFitsFreeSpace ? static_cast<Volumes&>(sized) : volumes);
    ASSERT_EQ(job.JobMessage(), "分割が終了しました");
  }
  void RunWorker(Volumes& media) {
    settings.DivideType = Type();
    settings.DivideExt = 1;
    if (Type() == 0) {
      RunType0Divide(settings, job, prompter, media);
    } else {
      RunTypedDivide(settings, job, prompter, media, stubs);
    }
  }
  std::vector<Bytes> Contents(const std::vector<std::string>& pieces) {
    std::vector<Bytes> all;
    for (const std::string& p : pieces) {
      all.push_back(ReadFileBytes(p));
    }
    return all;
  }
  bool SameSeries(const std::string& first) {
    PrepareDivideJob(job, dir / "data.bin", first, 300000);
    settings.DivideType = Type();
    return FirstPieceOfThisDivide(settings, job, stubs, dir / "data.bin", first);
  }

  TempDir dir;
  DivideSettings settings;
  JobState job;
  HookPrompter prompter;
  SystemVolumes volumes;
  FreeByPiece sized;
  StubDataFile stubs;
};

TEST_P(ResumeTest, GoesOnFromTheFirstPieceThatIsNotWhole) {
  WriteFileBytes(dir / "data.bin", RandomBytes(1000000, 5));
  const fs::file_time_type old = fs::file_time_type::clock::now() - std::chrono::hours(24);
  for (const Harm& harm : Harms()) {
    SCOPED_TRACE(harm.what);
    const std::string folder = dir / harm.what;
    fs::create_directory(folder);
    Divide(First(folder), false);
    const std::vector<std::string> pieces = Pieces(First(folder));
    ASSERT_EQ(pieces.size(), 4u);
    const std::vector<Bytes> fresh = Contents(pieces);
    harm.apply(pieces);
    EXPECT_TRUE(SameSeries(First(folder)));
    for (const std::string& p : Pieces(First(folder))) {
      fs::last_write_time(p, old);
    }

    Divide(First(folder), true);
    EXPECT_EQ(job.ResumedFromPiece.load(), harm.wentOnFrom);
    EXPECT_EQ(job.ProgressPermille.load(), 1000);
    EXPECT_EQ(Contents(Pieces(First(folder))), fresh);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(fs::last_write_time(pieces[static_cast<std::size_t>(i)]) == old,
                i < harm.keptPieces)
          << pieces[static_cast<std::size_t>(i)];
    }
  }
}

TEST_P(ResumeTest, ADifferentSourceUnderTheSameNameIsNotGoneOnFrom) {
  WriteFileBytes(dir / "data.bin", RandomBytes(1000000, 5));
  fs::last_write_time(dir / "data.bin", fs::file_time_type::clock::now() - std::chrono::hours(2));
  Divide(First(dir.Path()), false);
  fs::remove(Pieces(First(dir.Path())).back());

  // Same name and size, other bytes and modification time.
  WriteFileBytes(dir / "data.bin", RandomBytes(1000000, 6));
  const std::string fresh = dir / "fresh";
  fs::create_directory(fresh);
  Divide(First(fresh), false);
  // Type1 and Type2 record only the name and size (and Type2 the divide
  // size) in the first piece: the bytes compared tell them apart.
  EXPECT_EQ(SameSeries(First(dir.Path())), Type() == 1 || Type() == 2);

  const Bytes earlier = ReadFileBytes(First(dir.Path()));
  PrepareDivideJob(job, dir / "data.bin", First(dir.Path()), 300000);
  job.ResumeDivide = true;
  RunWorker(volumes);
  EXPECT_EQ(job.ResumedFromPiece.load(), 0);
  if (Type() == 1 || Type() == 2) {
    EXPECT_EQ(Contents(Pieces(First(dir.Path()))), Contents(Pieces(First(fresh))));
  } else {
    // Told to go on anyway, the divide leaves the other series' piece alone.
    EXPECT_EQ(job.JobMessage(), "分割を中止しました");
    EXPECT_EQ(ReadFileBytes(First(dir.Path())), earlier);
  }
}

TEST_P(ResumeTest, ACancelWhileThePiecesAreCheckedLeavesThemAsTheyWere) {
  WriteFileBytes(dir / "data.bin", RandomBytes(1000000, 5));
  Divide(First(dir.Path()), false);
  const std::vector<std::string> pieces = Pieces(First(dir.Path()));
  Truncate(pieces[3], 50000);
  settings.DivideType = Type();
  PrepareDivideJob(job, dir / "data.bin", First(dir.Path()), 300000);
  job.ResumeDivide = true;
  job.RunState.store(kRunCancelRequested);
  RunWorker(volumes);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(fs::file_size(pieces[3]), 50000u);
  EXPECT_EQ(fs::file_size(pieces[0]), 300000u);
}

TEST_P(ResumeTest, FittedPiecesKeepTheLengthsTheirMediaGaveThem) {
  WriteFileBytes(dir / "data.bin", RandomBytes(1000000, 8));
  sized.free = {{'1', 300000}, {'2', 250000}};
  sized.otherwise = 200000;
  Divide(First(dir.Path()), false, kDivideSizeFitsFreeSpace);
  // Stopped while the third piece was written.
  const std::vector<std::string> earlier = Pieces(First(dir.Path()));
  ASSERT_EQ(earlier.size(), 5u);
  fs::resize_file(earlier[2], 1000);
  fs::remove(earlier[3]), fs::remove(earlier[4]);

  // The media now hold more: the pieces kept fix where the third one starts.
  sized.otherwise = 400000;
  Divide(First(dir.Path()), true, kDivideSizeFitsFreeSpace);
  EXPECT_EQ(job.ResumedFromPiece.load(), 3);
  const std::string fresh = dir / "fresh";
  fs::create_directory(fresh);
  Divide(First(fresh), false, kDivideSizeFitsFreeSpace);
  EXPECT_EQ(Contents(Pieces(First(dir.Path()))), Contents(Pieces(First(fresh))));
  EXPECT_EQ(Pieces(First(fresh)).size(), 4u);

  // A bad second piece on larger media: the series now ends with its third
  // piece, and the fourth of the earlier run goes.
  Bytes second = ReadFileBytes(Pieces(First(dir.Path()))[1]);
  second[1000] ^= 1;
  WriteFileBytes(Pieces(First(dir.Path()))[1], second);
  sized.otherwise = 600000;
  Divide(First(dir.Path()), true, kDivideSizeFitsFreeSpace);
  EXPECT_EQ(job.ResumedFromPiece.load(), 2);
  fs::remove_all(fresh);
  fs::create_directory(fresh);
  Divide(First(fresh), false, kDivideSizeFitsFreeSpace);
  EXPECT_EQ(Pieces(First(fresh)).size(), 3u);
  EXPECT_EQ(Contents(Pieces(First(dir.Path()))), Contents(Pieces(First(fresh))));
}

TEST_P(ResumeTest, ASelfRestoringSeriesGoesOnBehindItsStub) {
  if (Type() < 2) {
    GTEST_SKIP() << "self-restoring series are Type2 or Type3";
  }
  WriteFileBytes(dir / "Kolvanto.dat", BuildStubDataFile(2, 0, {{"WIN32", RandomBytes(30000, 4)}}));
  ASSERT_TRUE(stubs.LoadStubDataFile(dir / "Kolvanto.dat"));
  WriteFileBytes(dir / "data.bin", RandomBytes(1000000, 9));
  const auto divide = [&](const std::string& folder, bool resume) {
    settings.DivideType = Type();
    PrepareDivideJob(job, dir / "data.bin", folder + "/data.exe", 300000);
    job.SelfRestoreJob = true;
    job.ResumeDivide = resume;
    RunTypedDivide(settings, job, prompter, volumes, stubs);
    ASSERT_EQ(job.JobMessage(), "分割が終了しました");
  };
  const std::string fresh = dir / "fresh";
  fs::create_directory(fresh);
  divide(fresh, false);
  divide(dir.Path(), false);
  fs::resize_file(dir / "data.d02", 1000);
  fs::remove(dir / "data.d03"), fs::remove(dir / "data.d04");

  divide(dir.Path(), true);
  EXPECT_EQ(job.ResumedFromPiece.load(), 2);
  const auto pieces = [](const std::string& folder) {
    return ExistingPieces(folder + "/data.exe", [&](int i) {
      return SetPieceNumber(folder + "/data.exe", i, PieceScheme::kDScheme);
    });
  };
  EXPECT_EQ(pieces(dir.Path()).size(), 4u);
  EXPECT_EQ(Contents(pieces(dir.Path())), Contents(pieces(fresh)));
}

INSTANTIATE_TEST_SUITE_P(EveryType, ResumeTest, ::testing::Values(0, 1, 2, 3),
                         [](const auto& p) { return "Type" + std::to_string(p.param); });

}  // namespace
}  // namespace kv::test
