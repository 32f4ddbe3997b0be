// Recovery sets against the real peer, Debian's par2: it verifies and repairs
// every set kolvanto-cli protect writes, and kolvanto-cli repair rebuilds
// pieces from a set par2 create made.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/recovery/recovery_test_files.h"
#include "tests/support/stub_data_builder.h"

namespace kv::test {
namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
};

class Par2Interop : public ::testing::Test {
 protected:
  // Runs a shell command in the temporary folder; its output and errors together.
  Result Sh(const std::string& command) {
    const std::string line =
        "cd '" + dir.Path().string() + "' && " + command + " >.out 2>&1 </dev/null";
    const int raw = std::system(line.c_str());
    std::ifstream in(dir / ".out");
    std::stringstream text;
    text << in.rdbuf();
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
  }
  // The child's settings store lives in the temporary folder, never the user's own.
  Result Cli(const std::string& args) {
    return Sh("XDG_CONFIG_HOME='" + dir / ".config" + "' " KV_CLI_PATH " " + args);
  }
  // The pieces of the series in the folder, first piece first.
  std::vector<std::string> Pieces(const std::string& source) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
      const std::string name = entry.path().filename().string();
      if (name != source && name[0] != '.' && name.find(".par2") == std::string::npos &&
          name != "stubs.dat") {
        names.push_back(name);
      }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return (a.ends_with(".exe") ? "" : a) < (b.ends_with(".exe") ? "" : b);
    });
    return names;
  }
  // Deletes `lost` pieces, has `repairCommand` rebuild them and compares the bytes.
  void ExpectRebuilt(const std::vector<std::string>& pieces, const std::vector<std::size_t>& lost,
                     const std::string& repairCommand) {
    std::vector<std::vector<std::uint8_t>> kept;
    for (const std::size_t i : lost) {
      kept.push_back(ReadFileBytes(dir / pieces[i]));
      fs::remove(dir / pieces[i]);
    }
    const Result r = Sh(repairCommand);
    ASSERT_EQ(r.status, 0) << repairCommand << "\n" << r.out;
    for (std::size_t k = 0; k < lost.size(); ++k) {
      EXPECT_EQ(ReadFileBytes(dir / pieces[lost[k]]), kept[k]) << pieces[lost[k]];
    }
  }

  TempDir dir;
};

TEST_F(Par2Interop, Par2VerifiesAndRepairsEveryTypeOfSeries) {
  for (int type = 0; type <= 3; ++type) {
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
      fs::remove(entry.path());
    }
    WriteFileBytes(dir / "data.bin", RandomBytes(70000, static_cast<std::uint32_t>(type)));
    ASSERT_EQ(Cli("divide data.bin -t " + std::to_string(type) + " -s 20,000").status, 0);
    const std::vector<std::string> pieces = Pieces("data.bin");
    ASSERT_EQ(pieces.size(), 4u) << type;
    const Result r = Cli("protect " + pieces[0] + " --recovery 2");
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_EQ(Sh("par2 verify data.par2").status, 0) << type;
    ExpectRebuilt(pieces, {0, 3}, "par2 repair data.par2");
  }
}

TEST_F(Par2Interop, SelfRestoringAndJapaneseNamedSeries) {
  WriteFileBytes(dir / "stubs.dat",
                 BuildStubDataFile(2, 0, {{"WIN32", std::vector<std::uint8_t>(3000, 0x4D)}}));
  WriteFileBytes(dir / "data.bin", RandomBytes(40000, 5));
  ASSERT_EQ(Cli("divide data.bin -s 10000 --self-restore 0 --stub-data stubs.dat").status, 0);
  std::vector<std::string> pieces = Pieces("data.bin");
  ASSERT_EQ(pieces.front(), "data.exe");
  Result r = Cli("protect data.exe --recovery 1");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out,
            "data.par2\ndata.vol0+1.par2\n5 pieces protected, any 1 can be rebuilt (slice 10,000 "
            "bytes)\n");
  ASSERT_EQ(Sh("par2 verify data.par2").status, 0);
  ExpectRebuilt(pieces, {0}, "par2 repair data.par2");

  WriteFileBytes(dir / "報告書.txt", RandomBytes(30000, 6));
  ASSERT_EQ(Cli("divide 報告書.txt -s 10000").status, 0);
  ASSERT_EQ(Cli("protect 報告書.d01 --recovery 1").status, 0);
  ASSERT_EQ(Sh("par2 verify 報告書.par2").status, 0);
  ExpectRebuilt({"報告書.d01", "報告書.d02", "報告書.d03"}, {1}, "par2 repair 報告書.par2");
}

TEST_F(Par2Interop, Par2RepairsASetOfManySlicesAPiece) {
  // 3 slices a piece, 6 recovery slices: any 2 pieces.
  WriteProtectedFiles(dir, {3000, 3000, 3000, 1234}, 1024, 6);
  ASSERT_EQ(Sh("par2 verify s.par2").status, 0);
  ExpectRebuilt({"s.d01", "s.d02", "s.d03", "s.d04"}, {1, 3}, "par2 repair s.par2");
}

TEST_F(Par2Interop, KolvantoRepairsASetPar2Created) {
  WriteFileBytes(dir / "data.bin", RandomBytes(50000, 8));
  ASSERT_EQ(Cli("divide data.bin -s 10000").status, 0);
  const std::vector<std::string> pieces = Pieces("data.bin");
  ASSERT_EQ(Sh("par2 create -s2000 -c12 data.par2 data.d0*").status, 0);
  ExpectRebuilt(pieces, {0, 4}, KV_CLI_PATH " repair data.d01");
  fs::remove(dir / pieces[2]);
  ExpectRebuilt(pieces, {1}, KV_CLI_PATH " repair data.vol01+02.par2");
}

TEST_F(Par2Interop, RepairTellsWhatItDidAndWhatIsMissing) {
  WriteFileBytes(dir / "data.bin", RandomBytes(50000, 9));
  ASSERT_EQ(Cli("divide data.bin -s 10000").status, 0);
  ASSERT_EQ(Cli("protect data.d01 --recovery 2").status, 0);
  Result r = Cli("repair data.d01");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "nothing to repair: 6 pieces intact\n");
  r = Cli("protect data.d01 --recovery 1");  // a set stands there already
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "protect: data.par2: File exists\n");
  fs::remove(dir / "data.d02");
  r = Cli("protect data.d01 --recovery 1");  // the pieces there no longer hold the source
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out,
            "protect: data.d01: 1 of at least 2 pieces, incomplete; recovery data would not "
            "cover the missing pieces\n");
  std::ofstream(dir / "data.d06", std::ios::app) << "x";
  r = Cli("repair data.par2");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "missing: data.d02\ndamaged: data.d06\nkept: data.d06.1\nrebuilt: data.d02\n"
            "rebuilt: data.d06\nrepaired: 2 of 6 pieces rebuilt\n");
  for (const char* lost : {"data.d01", "data.d03", "data.d05"}) {
    fs::remove(dir / lost);
  }
  r = Cli("repair data.d01");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "missing: data.d01\nmissing: data.d03\nmissing: data.d05\n"
            "not repairable: 1 more recovery blocks needed\n");
  EXPECT_EQ(Cli("repair data.bin").status, 2);
  r = Cli("protect data.d02 --recovery 1");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "protect: data.d02: not the first piece of a series\n");
  EXPECT_EQ(Cli("protect data.d04 --recovery 9").status, 2);
  r = Cli("protect data.d01 --recovery 1");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "protect: data.d01: No such file or directory\n");
  EXPECT_EQ(Cli("protect data.d01").status, 2);
}

TEST_F(Par2Interop, DivideWritesRecoveryWhereThePiecesAreKnownBeforehand) {
  WriteFileBytes(dir / "d.bin", RandomBytes(45000, 11));
  Result r = Cli("divide d.bin -s 10000 --recovery 2");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(r.out.ends_with("分割が終了しました\n" + dir / "d.par2" + "\n" +
                              dir / "d.vol0+1.par2" + "\n" + dir / "d.vol1+1.par2" +
                              "\n5 pieces protected, any 2 can be rebuilt (slice 10,000 bytes)\n"))
      << r.out;
  ASSERT_EQ(Sh("par2 verify d.par2").status, 0);
  ExpectRebuilt({"d.d01", "d.d02", "d.d03", "d.d04", "d.d05"}, {2, 4}, "par2 repair d.par2");
  // A self-restoring series: the first piece is the program.
  WriteFileBytes(dir / "stubs.dat",
                 BuildStubDataFile(2, 0, {{"WIN32", std::vector<std::uint8_t>(3000, 0x4D)}}));
  ASSERT_EQ(
      Cli("divide d.bin -o s.exe -s 10000 --self-restore 0 --stub-data stubs.dat --recovery 1")
          .status,
      0);
  ASSERT_EQ(Sh("par2 verify s.par2").status, 0);
  ExpectRebuilt({"s.exe", "s.d02"}, {0}, "par2 repair s.par2");

  fs::create_directories(dir / ".config/Orvik Software");
  std::ofstream(dir / ".config/Orvik Software/Kolvanto.ini")
      << "[General]\nMajorVersion=3\nMinorVersion=12\n\n[Settings]\nFDAuto=0\nRemovableDrive="
      << dir.Path().string() << "\n";
  WriteFileBytes(dir / "e.bin", RandomBytes(45000, 12));
  // A fixed divide size to removable media: computed while dividing, never read back.
  r = Cli("divide e.bin -s 10000 --recovery 1 -y");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(r.out.ends_with(dir / "e.par2" + "\n" + dir / "e.vol0+1.par2" +
                              "\n5 pieces protected, any 1 can be rebuilt (slice 10,000 bytes)\n"))
      << r.out;
  ASSERT_EQ(Sh("par2 verify e.par2").status, 0);
  // Once more over the same media: the set there is never written over.
  r = Cli("divide e.bin -s 10000 --recovery 1 -y");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.ends_with("分割が終了しました\n--recovery: " + dir / "e.par2" +
                              ": File exists\n--recovery: no recovery files were written; the "
                              "pieces are whole\n"))
      << r.out;
  ASSERT_EQ(Sh("par2 verify e.par2").status, 0);
  fs::remove(dir / "e.d01");
  // Fitted to the free space, the pieces are not known beforehand.
  r = Cli("divide e.bin -s fit --recovery 1");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.out.ends_with(
      "--recovery: the pieces go to removable media, which are not read back; protect the series "
      "with \"kolvanto-cli protect\" once its pieces are together on a fixed drive\n"))
      << r.out;
  EXPECT_FALSE(fs::exists(dir / "e.d01"));
}

TEST_F(Par2Interop, RestoreRebuildsMissingAndDamagedPiecesOnTheWay) {
  const struct {
    const char* type;
    const char* first;
    const char* lost;
    const char* damaged;
  } cases[] = {{"3", "r3.d01", "r3.d03", "r3.d02"}, {"0", "r0.001", "r0.003", "r0.002"}};
  for (const auto& c : cases) {
    const std::string name = std::string(c.first).substr(0, 2);
    const std::vector<std::uint8_t> original = RandomBytes(45000, 14);
    WriteFileBytes(dir / (name + ".bin"), original);
    ASSERT_EQ(Cli("divide " + name + ".bin -t " + c.type + " -s 10000 --recovery 1").status, 0);
    fs::remove(dir / c.lost);
    Result r = Cli(std::string("restore ") + c.first + " -o out" + c.type);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(r.out.ends_with(
        std::string("復元が終了しました\n修復データから作り直したファイル：\n") + c.lost + "\n"))
        << r.out;
    EXPECT_EQ(ReadFileBytes(dir / ("out" + std::string(c.type))), original) << c.type;
    // A damaged piece is kept under another name.
    std::vector<std::uint8_t> damaged = ReadFileBytes(dir / c.damaged);
    damaged[5000] ^= 1;
    WriteFileBytes(dir / c.damaged, damaged);
    r = Cli(std::string("restore ") + c.first + " -o again" + c.type);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(ReadFileBytes(dir / ("again" + std::string(c.type))), original) << c.type;
    EXPECT_EQ(ReadFileBytes(dir / (std::string(c.damaged) + ".1")), damaged) << c.type;
  }
  // Two pieces lost with recovery for one: the restore stops where it always did.
  fs::remove(dir / "r3.d02");
  fs::remove(dir / "r3.d04");
  const Result r = Cli("restore r3.d01 -o short3");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(r.out.find("修復データ"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ファイルが見つかりません"), std::string::npos) << r.out;
}

TEST_F(Par2Interop, SeriesOfMorePiecesThanOpenFilesAllowed) {
  WriteFileBytes(dir / "m.bin", RandomBytes(120 * 1024 - 5, 13));
  ASSERT_EQ(Cli("divide m.bin -s 1024").status, 0);
  const std::vector<std::string> pieces = Pieces("m.bin");
  ASSERT_GT(pieces.size(), 100u);
  const Result r = Sh("ulimit -n 40 && " KV_CLI_PATH " protect m.d01 --recovery 3");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(r.out.ends_with("\n" + std::to_string(pieces.size()) +
                              " pieces protected, any 3 can be rebuilt (slice 1,024 bytes)\n"))
      << r.out;
  ExpectRebuilt(pieces, {0, 50, pieces.size() - 1},
                "ulimit -n 40 && " KV_CLI_PATH " repair m.par2");
}

TEST_F(Par2Interop, CheckNamesRecoveryFilesAndWhetherTheSeriesCanBeRebuilt) {
  WriteFileBytes(dir / "d.bin", RandomBytes(50000, 10));
  ASSERT_EQ(Cli("divide d.bin -s 10000").status, 0);
  ASSERT_EQ(Cli("protect d.d01 --recovery 2").status, 0);
  WriteFileBytes(dir / "x.par2", {'P', 'A', 'R', '2'});
  Result r = Cli("check d.d01 d.d02 d.par2 d.vol1+1.par2 x.par2");
  EXPECT_EQ(r.out,
            "○ d.d01\n○ d.d02\n○ 修復データ d.par2\n○ 修復データ d.vol1+1.par2\n？ 未対応 x.par2\n"
            "d.d01: 2 of at least 3 pieces, incomplete\n");  // the pieces not named are there
  fs::remove(dir / "d.d06");
  r = Cli("check d.d01 d.d02 d.d03 d.d04 d.par2");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(
      r.out,
      "○ d.d01\n○ d.d02\n○ d.d03\n○ d.d04\n○ 修復データ d.par2\n"
      "d.d01: 4 of at least 5 pieces, incomplete, repairable: 1 pieces missing, recovery for 2\n");
  fs::remove(dir / "d.d02");
  fs::remove(dir / "d.d03");
  r = Cli("check d.d01 d.d04");
  EXPECT_EQ(
      r.out,
      "○ d.d01\n○ d.d04\n"
      "d.d01: 2 of at least 4 pieces, incomplete, not repairable: 1 more recovery blocks needed\n");
}

// Ctrl+C once the pieces are being read (one of them is open): the set is
// given up and none of its files stays. The pieces are sparse, 20 GiB in
// all, so the set is far from done when the interrupt comes.
TEST_F(Par2Interop, AnInterruptedProtectLeavesNoRecoveryFile) {
  for (int i = 1; i <= 20; ++i) {
    const fs::path piece = dir / ((i < 10 ? "big.00" : "big.0") + std::to_string(i));
    WriteFileBytes(piece, {1, 2, 3});
    fs::resize_file(piece, std::uintmax_t{1} << 30);
  }
  const Result r = Sh("(XDG_CONFIG_HOME='" + dir / ".config" +
                      "' " KV_CLI_PATH
                      " protect big.001 --recovery 1 & pid=$!; "
                      "until ls -l /proc/$pid/fd 2>/dev/null | grep -q 'big\\.0'; do sleep 0.01; "
                      "done; kill -INT $pid; wait $pid)");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(r.out, "protect: big.par2: Operation canceled\n");
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    EXPECT_FALSE(entry.path().string().ends_with(".par2")) << entry.path();
  }
}

}  // namespace
}  // namespace kv::test
