#include "core/stub_data_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "core/beside_executable.h"
#include "platform/binary_file.h"
#include "tests/support/temp_dir.h"

namespace kv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A data file: version bytes, directory entries (name + little-endian size), 0, stubs.
Bytes MakeDataFile(std::uint8_t major, std::uint8_t minor,
                   const std::vector<std::pair<std::string, Bytes>>& kinds) {
  Bytes out{major, minor};
  for (const auto& [name, stub] : kinds) {
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    const auto n = static_cast<std::uint32_t>(stub.size());
    for (int i = 0; i < 4; ++i) {
      out.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    }
  }
  out.push_back(0);
  for (const auto& kind : kinds) {
    out.insert(out.end(), kind.second.begin(), kind.second.end());
  }
  return out;
}

struct Loaded {
  test::TempDir dir;
  StubDataFile data;
  bool ok = false;
};

void Load(Loaded& l, const Bytes& bytes) {
  test::WriteFileBytes(l.dir / "Kolvanto.dat", bytes);
  l.ok = l.data.LoadStubDataFile(l.dir / "Kolvanto.dat");
}

TEST(StubDataFile, LoadsTwoKindsAndCopiesTheSecondStub) {
  const Bytes win32 = test::RandomBytes(40000, 1);
  const Bytes msdos = test::RandomBytes(25000, 2);
  Loaded l;
  Load(l, MakeDataFile(2, 5, {{"WIN32", win32}, {"MS-DOS", msdos}}));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.data.StatusText(), "自己復元型分割データ  ver. 2.05");
  EXPECT_EQ(l.data.Major(), 2);
  EXPECT_EQ(l.data.SeriesSplitType(), SplitType::kType3);
  EXPECT_EQ(l.data.KindCount(), 2);
  EXPECT_EQ(l.data.KindNames(), (std::vector<std::string>{"WIN32", "MS-DOS"}));
  EXPECT_EQ(l.data.StubSize(0), 40000u);
  EXPECT_EQ(l.data.StubSize(1), 25000u);
  EXPECT_EQ(l.data.StubSize(2), 0u);
  EXPECT_EQ(l.data.KindName(-1), "");
  EXPECT_EQ(l.data.FirstStubOffset(), 24);  // the directory end is byte 23
  EXPECT_EQ(l.data.Kinds()[0].offset, 24);
  EXPECT_EQ(l.data.Kinds()[1].offset, 40024);
  EXPECT_EQ(l.data.SelectedKindAfterLoad(-1), 0);
  EXPECT_EQ(l.data.SelectedKindAfterLoad(3), 3);

  // The stub goes behind whatever the piece already holds, and the file stays usable.
  const std::string piece = l.dir / "piece.exe";
  for (int round = 0; round < 2; ++round) {
    std::filesystem::remove(piece);
    auto out = BinaryFile::Open(piece, BinaryFile::Mode::kCreateWrite).ValueOr(nullptr);
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->Write("AB", 2));
    ASSERT_TRUE(l.data.CopyStub(1, *out));
    ASSERT_TRUE(out->Close());
    Bytes expected{'A', 'B'};
    expected.insert(expected.end(), msdos.begin(), msdos.end());
    EXPECT_EQ(test::ReadFileBytes(piece), expected);
  }
  std::filesystem::remove(piece);
  auto out = BinaryFile::Open(piece, BinaryFile::Mode::kCreateWrite).ValueOr(nullptr);
  ASSERT_TRUE(out);
  ASSERT_TRUE(l.data.CopyStub(0, *out));
  EXPECT_FALSE(l.data.CopyStub(2, *out));
  EXPECT_FALSE(l.data.CopyStub(-1, *out));
  ASSERT_TRUE(out->Close());
  EXPECT_EQ(test::ReadFileBytes(piece), win32);
}

TEST(StubDataFile, VersionOneShowsTwoDigitMinorAndMakesType2) {
  Loaded l;
  Load(l, MakeDataFile(1, 0, {{"Win3.1", Bytes(10, 7)}}));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.data.StatusText(), "自己復元型分割データ  ver. 1.00");
  EXPECT_EQ(l.data.SeriesSplitType(), SplitType::kType2);
}

TEST(StubDataFile, VersionsOutsideTheSupportedRange) {
  struct Case {
    std::uint8_t major, minor;
    const char* status;
  };
  for (const Case& c :
       {Case{3, 0, "Kolvanto.datはサポート外のバージョンです"},
        Case{9, 99, "Kolvanto.datはサポート外のバージョンです"},
        Case{0, 0, "Kolvanto.datは壊れています"}, Case{10, 0, "Kolvanto.datは壊れています"},
        Case{2, 100, "Kolvanto.datは壊れています"}, Case{0xFF, 0, "Kolvanto.datは壊れています"},
        Case{2, 0xFF, "Kolvanto.datは壊れています"}}) {
    SCOPED_TRACE(std::to_string(c.major) + "," + std::to_string(c.minor));
    Loaded l;
    Load(l, MakeDataFile(c.major, c.minor, {{"WIN32", Bytes(5, 1)}}));
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.data.StatusText(), c.status);
    EXPECT_EQ(l.data.KindCount(), 0);
    EXPECT_EQ(l.data.SelectedKindAfterLoad(-1), -1);
  }
}

TEST(StubDataFile, MissingFileIsNotInstalled) {
  test::TempDir dir;
  StubDataFile data;
  EXPECT_FALSE(data.LoadStubDataFile(dir / "Kolvanto.dat"));
  EXPECT_EQ(data.StatusText(), "自己復元型分割データ  Not installed");
  EXPECT_EQ(data.KindCount(), 0);
  EXPECT_EQ(data.SelectedKindAfterLoad(-1), -1);
}

TEST(StubDataFile, SixKindsLoadASeventhMakesTheFileDamaged) {
  std::vector<std::pair<std::string, Bytes>> kinds;
  for (int k = 0; k < 6; ++k) {
    kinds.push_back({"K" + std::to_string(k), Bytes(3, static_cast<std::uint8_t>(k))});
  }
  {
    Loaded l;
    Load(l, MakeDataFile(2, 0, kinds));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.data.KindCount(), 6);
    EXPECT_EQ(l.data.KindName(5), "K5");
    EXPECT_EQ(l.data.Kinds()[5].offset, 2 + 6 * 7 + 1 + 15);
  }
  kinds.push_back({"K6", Bytes(3, 6)});
  Loaded l;
  Load(l, MakeDataFile(2, 0, kinds));
  EXPECT_FALSE(l.ok);
  EXPECT_EQ(l.data.StatusText(), "Kolvanto.datは壊れています");
  EXPECT_EQ(l.data.KindCount(), 0);
  EXPECT_EQ(l.data.KindName(1), "");
  ASSERT_FALSE(l.data.Kinds().empty());
  EXPECT_EQ(l.data.Kinds()[0].name, "");
  // The directory was read, so a never-chosen kind index still settles on 0.
  EXPECT_EQ(l.data.SelectedKindAfterLoad(-1), 0);
  auto out = BinaryFile::Open(l.dir / "p", BinaryFile::Mode::kCreateWrite).ValueOr(nullptr);
  ASSERT_TRUE(out);
  EXPECT_FALSE(l.data.CopyStub(0, *out));
}

TEST(StubDataFile, EmptyDirectoryLoads) {
  Loaded l;
  Load(l, Bytes{2, 1, 0});
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.data.StatusText(), "自己復元型分割データ  ver. 2.01");
  EXPECT_EQ(l.data.KindCount(), 0);
  EXPECT_EQ(l.data.FirstStubOffset(), 3);
  EXPECT_EQ(l.data.SelectedKindAfterLoad(-1), 0);
}

TEST(StubDataFile, DirectoryCutShortIsDamaged) {
  const Bytes full = MakeDataFile(2, 0, {{"WIN32", Bytes(4, 9)}});
  // Every cut inside the version or the directory: before the name's 0, inside
  // the size field, and where the directory end should be.
  for (std::size_t length = 0; length < 13; ++length) {
    SCOPED_TRACE(length);
    Loaded l;
    Load(l, Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length)));
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.data.StatusText(), "Kolvanto.datは壊れています");
    EXPECT_EQ(l.data.KindCount(), 0);
  }
}

TEST(StubDataFile, StubsShorterThanTheDirectoryPromisesAreNotCopied) {
  Bytes file = MakeDataFile(2, 0, {{"WIN32", test::RandomBytes(3000, 4)}});
  file.resize(file.size() - 100);
  Loaded l;
  Load(l, file);
  ASSERT_TRUE(l.ok);  // the directory itself is whole
  const std::string piece = l.dir / "p.exe";
  auto out = BinaryFile::Open(piece, BinaryFile::Mode::kCreateWrite).ValueOr(nullptr);
  ASSERT_TRUE(out);
  EXPECT_FALSE(l.data.CopyStub(0, *out));
  ASSERT_TRUE(out->Close());
  // Two whole blocks were read and written; the short last block was not.
  const Bytes written = test::ReadFileBytes(piece);
  EXPECT_EQ(written.size(), 2048u);
  const auto stubStart = file.begin() + 13;  // 2 + "WIN32\0" + 4 + 0
  EXPECT_EQ(written, Bytes(stubStart, stubStart + 2048));
}

TEST(StubKindNames, ShortNameAndTwoGigabyteMarks) {
  for (const char* name : {"Win16", "xWIN16y", "MS-DOS", "Win3.1 restorer", "WIN3.1"}) {
    EXPECT_TRUE(RecordsShortName(name)) << name;
  }
  for (const char* name : {"WIN32", "win16", "MS-dos", "Win95", "ms-dos", ""}) {
    EXPECT_FALSE(RecordsShortName(name)) << name;
  }
  EXPECT_TRUE(LimitedTo2GB("MS-DOS"));
  EXPECT_TRUE(LimitedTo2GB("DOS/WIN"));
  EXPECT_FALSE(LimitedTo2GB("Win DOS box"));
  EXPECT_FALSE(LimitedTo2GB("Dos"));
  EXPECT_FALSE(LimitedTo2GB("WIN32"));
}

TEST(BesideExecutable, PrefersTheExecutableFolderThenShare) {
  test::TempDir dir;
  namespace fs = std::filesystem;
  fs::create_directories(dir.Path() / "bin");
  fs::create_directories(dir.Path() / "share" / "kolvanto");
  const std::string bin = dir / "bin";
  EXPECT_EQ(FindBesideExecutable(bin, "Kolvanto.dat"), dir / "bin/Kolvanto.dat");
  test::WriteFileBytes(dir / "share/kolvanto/Kolvanto.dat", {1});
  EXPECT_EQ(FindBesideExecutable(bin, "Kolvanto.dat"), dir / "share/kolvanto/Kolvanto.dat");
  test::WriteFileBytes(dir / "bin/Kolvanto.dat", {1});
  EXPECT_EQ(FindBesideExecutable(bin, "Kolvanto.dat"), dir / "bin/Kolvanto.dat");
}

// A stub is checked before a divide copies it: a restore scans for the
// first-piece pattern, so a stub holding it would hide the real header.
TEST(StubDataFile, CheckStubFindsThePatternAnywhereAndSizesPastTheEnd) {
  const std::string pattern("\x03-QX3-", 6);
  const auto withPattern = [&](std::size_t at, std::size_t size) {
    Bytes stub(size, 0x4D);
    std::copy(pattern.begin(), pattern.end(), stub.begin() + static_cast<std::ptrdiff_t>(at));
    return stub;
  };
  struct Case {
    Bytes stub;
    StubFault fault;
  };
  const Case cases[] = {
      {Bytes(3000, 0x4D), StubFault::kNone},
      {withPattern(0, 3000), StubFault::kHoldsPattern},
      {withPattern(1021, 3000), StubFault::kHoldsPattern},  // across the first block's end
      {withPattern(2994, 3000), StubFault::kHoldsPattern},  // the stub's last bytes
  };
  for (const Case& c : cases) {
    Loaded l;
    // The other kind's stub holds the pattern too: only the chosen stub counts.
    Load(l, MakeDataFile(2, 0, {{"WIN32", c.stub}, {"LINUX", withPattern(10, 100)}}));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.data.CheckStub(0), c.fault);
    EXPECT_EQ(l.data.CheckStub(1), StubFault::kHoldsPattern);
    EXPECT_EQ(l.data.Path(), l.dir / "Kolvanto.dat");
  }
  // The directory promises one byte more than the file holds.
  Bytes shortFile = MakeDataFile(2, 0, {{"WIN32", Bytes(3000, 0x4D)}, {"LINUX", Bytes(50, 1)}});
  shortFile.pop_back();
  Loaded l;
  Load(l, shortFile);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.data.CheckStub(0), StubFault::kPastEnd);
  EXPECT_EQ(l.data.CheckStub(2), StubFault::kUnreadable);
}

}  // namespace
}  // namespace kv
