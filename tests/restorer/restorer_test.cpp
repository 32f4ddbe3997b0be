// The shipped restorers at the front of real self-restoring series: made by
// kolvanto-cli, run as ./report.exe (the Windows kind under wine), compared
// byte for byte and by modification time, and read back by the main program.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "core/crc16.h"
#include "core/packed_time.h"
#include "core/stub_data_file.h"
#include "core/typed_header_builder.h"
#include "platform/binary_file.h"
#include "platform/file_helpers.h"
#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

namespace fs = std::filesystem;

constexpr int kLinux = 0;
constexpr int kWindows = 1;
constexpr int kDivideSize = 70000;
// 2020-03-04 05:06:07 UTC.
constexpr std::int64_t kSourceTime = 1583298367;

struct Result {
  int status = -1;
  std::string out;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class Restorer : public ::testing::Test {
 public:
  void SetUp() override { ASSERT_TRUE(stubs.LoadStubDataFile(KV_STUB_DATA)); }

  // Makes a self-restoring series of report.doc in the temporary folder.
  void Divide(std::size_t size, int kind, const std::string& sizeText = "70000") {
    source = RandomBytes(size, static_cast<std::uint32_t>(size + 1));
    WriteFileBytes(dir / "report.doc", source);
    ASSERT_TRUE(SetModifiedTimeUtc(dir / "report.doc", 2020, 3, 4, 5, 6, 7));
    const std::string command =
        "cd " + dir.Path().string() + " && XDG_CONFIG_HOME=" + dir / ".cfg" +
        " " KV_CLI_PATH " divide report.doc -y --overwrite -s " + sizeText + " --self-restore " +
        std::to_string(kind) + " --stub-data " KV_STUB_DATA " >/dev/null 2>&1 </dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  // Runs ./report.exe in the temporary folder (or its subfolder `place`) with
  // `input` as its standard input.
  Result RunFirstPiece(const std::string& args, int kind = kLinux, const std::string& input = "",
                       const std::string& place = ".") {
    std::ofstream(dir / ".in") << input;
    return RunFirstPieceFed("cat " + dir / ".in", args, kind, place);
  }

  // The same, its standard input the output of the shell command `feeder`,
  // which runs in the temporary folder while the first piece runs.
  Result RunFirstPieceFed(const std::string& feeder, const std::string& args, int kind = kLinux,
                          const std::string& place = ".") {
    std::string program = "./report.exe";
    if (kind == kWindows) {
      // One wine at a time: the first start builds the prefix.
      program = std::string("WINEPREFIX=") + KV_WINEPREFIX + " WINEDEBUG=-all flock " +
                KV_WINEPREFIX + ".lock " KV_WINE " ./report.exe";
    }
    fs::remove(dir / ".out");
    const std::string command = "cd " + dir.Path().string() + " && (" + feeder + ") | (" + limits +
                                "cd '" + place + "' && " + program + " " + args + " >" +
                                dir / ".out" + " 2>/dev/null)";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(dir / ".out")};
  }

  Result RunCli(const std::string& args) {
    const std::string command = "cd " + dir.Path().string() +
                                " && XDG_CONFIG_HOME=" + dir / ".cfg" + " " KV_CLI_PATH " " + args +
                                " >" + dir / ".out" + " 2>&1 </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(dir / ".out")};
  }

  // Body bytes of the first piece: the stub, a 38-byte header for
  // "report.doc" and the 3-byte trailer take the rest.
  std::size_t FirstBody(int kind) { return kDivideSize - stubs.StubSize(kind) - 38 - 3; }

  void Flip(const std::string& name, std::int64_t offset) {
    std::vector<std::uint8_t> bytes = ReadFileBytes(dir / name);
    bytes.at(static_cast<std::size_t>(offset)) ^= 0xFF;
    WriteFileBytes(dir / name, bytes);
  }

  TempDir dir;
  StubDataFile stubs;
  std::vector<std::uint8_t> source;
  std::string limits;  // shell commands run before the first piece
};

TEST_F(Restorer, RoundTripsOnBothSystems) {
  struct Case {
    int kind;
    const char* sizeText;
    std::size_t size;       // 0: exactly two full pieces
    const char* sizeShown;  // nullptr: not compared
  };
  for (const Case c :
       {Case{kLinux, "fit", 0, "0"}, Case{kLinux, "fit", 1, "1"}, Case{kLinux, "70000", 0, nullptr},
        Case{kLinux, "70000", 250000, "250,000"}, Case{kWindows, "fit", 0, "0"},
        Case{kWindows, "fit", 1, "1"}, Case{kWindows, "70000", 0, nullptr},
        Case{kWindows, "70000", 250000, "250,000"}}) {
    if (c.kind == kWindows && std::string(KV_WINE).empty()) {
      GTEST_SKIP() << "wine is not installed: the Windows restorer is not run";
    }
    const bool boundary = c.sizeShown == nullptr;
    const std::size_t size = boundary ? FirstBody(c.kind) + kDivideSize - 16 : c.size;
    SCOPED_TRACE(std::to_string(c.kind) + " " + std::to_string(size));
    Divide(size, c.kind, c.sizeText);
    if (boundary) {
      EXPECT_EQ(fs::file_size(dir / "report.d02"), std::uintmax_t{kDivideSize});
      EXPECT_FALSE(fs::exists(dir / "report.d03"));
    }
    EXPECT_EQ(fs::status(dir / "report.exe").permissions() & fs::perms::owner_exec,
              fs::perms::owner_exec);
    fs::create_directories(dir / "out");
    const Result r = RunFirstPiece("-y -o out", c.kind);
    ASSERT_EQ(r.status, 0) << r.out;
    if (!boundary) {
      EXPECT_EQ(r.out, std::string("ファイル名： report.doc\nサイズ： ") + c.sizeShown +
                           "Bytes\n  復元中です\n復元が終了しました\n");
    }
    EXPECT_EQ(ReadFileBytes(dir / "out/report.doc"), source);
    EXPECT_EQ(ModifiedTimeUtc(dir / "out/report.doc"), kSourceTime);
    // The main program reads the same series (its analysis searches whole
    // blocks of a first piece only, so it is asked about full-sized pieces).
    if (size > 1) {
      const Result cli = RunCli("restore report.exe -o " + dir / "cli.doc");
      ASSERT_EQ(cli.status, 0) << cli.out;
      EXPECT_EQ(ReadFileBytes(dir / "cli.doc"), source);
    }
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
      fs::remove_all(entry.path());
    }
  }
}

// Every answer comes from a series of four pieces (report.exe, .d02 to .d04)
// of which one piece was changed.
TEST_F(Restorer, AnswersDamagedAndMissingPieces) {
  struct Case {
    const char* name;
    std::function<void(Restorer&)> damage;
    const char* args;
    int status;
    const char* said;  // with the folder written in for "%s"
  };
  const std::vector<Case> cases = {
      {"damaged body, then stopped", [](Restorer& t) { t.Flip("report.d02", 100); }, "-y", 1,
       "ファイルの内容が正しくありません。強行しますか？\n[%s/report.d02]\n-> no\n"
       "復元を中止しました\n"},
      {"damaged body, forced past", [](Restorer& t) { t.Flip("report.d02", 100); }, "-y --force", 3,
       "ファイルの内容が正しくありません。強行しますか？\n[%s/report.d02]\n-> yes\n"
       "復元が終了しました\n"},
      {"damaged last body", [](Restorer& t) { t.Flip("report.d04", 100); }, "-y", 3,
       "ファイルの内容が正しくありません。\n[%s/report.d04]\n"
       "復元は終了しましたが、エラーが発生しました。\n"},
      {"missing next piece", [](Restorer& t) { fs::remove(t.dir / "report.d03"); }, "-y", 1,
       "ファイルが見つかりません\n%s/report.d03: No such file or directory\n復元を中止しました\n"},
      {"folder in a piece's place",
       [](Restorer& t) {
         fs::remove(t.dir / "report.d03");
         fs::create_directory(t.dir / "report.d03");
       },
       "-y", 1, "ファイルを開けません\n%s/report.d03: Is a directory\n復元を中止しました\n"},
      {"link loop in a piece's place",
       [](Restorer& t) {
         fs::remove(t.dir / "report.d03");
         fs::create_symlink("report.d03", t.dir / "report.d03");
       },
       "-y", 1, "ファイルを開けません\n%s/report.d03: Symbolic link loop\n復元を中止しました\n"},
      // The restorer's own memory from address 0: a file whose every read fails.
      {"piece that cannot be read",
       [](Restorer& t) {
         fs::remove(t.dir / "report.d03");
         fs::create_symlink("/proc/self/mem", t.dir / "report.d03");
       },
       "-y", 1,
       "ファイル入出力エラーが発生しました。繰り返し発生する場合は、ディスクのエラーチェックをして"
       "く"
       "ださい。\n%s/report.d03: I/O error\n復元を中止しました\n"},
      {"piece of another series",
       [](Restorer& t) {
         t.Divide(200001, kLinux);
         fs::rename(t.dir / "report.d03", t.dir / "other.d03");
         t.Divide(200000, kLinux);
         fs::rename(t.dir / "other.d03", t.dir / "report.d03");
       },
       "-y", 1,
       "「%s/report.d03」は、\n現在復元中のファイルとは異なります。強行しますか？\n-> no\n"
       "復元を中止しました\n"},
      {"two pieces swapped",
       [](Restorer& t) {
         fs::rename(t.dir / "report.d02", t.dir / "x");
         fs::rename(t.dir / "report.d03", t.dir / "report.d02");
         fs::rename(t.dir / "x", t.dir / "report.d03");
       },
       "-y", 1,
       "「%s/report.d02」は、\n現在復元中のファイルとは異なります。強行しますか？\n-> no\n"
       "復元を中止しました\n"},
      {"truncated piece", [](Restorer& t) { fs::resize_file(t.dir / "report.d03", 30000); }, "-y",
       1, "ファイルの終端が欠けています。\n[%s/report.d03]\n復元を中止しました\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Divide(200000, kLinux);
    c.damage(*this);
    fs::create_directories(dir / "out");
    const Result r = RunFirstPiece(std::string(c.args) + " -o out");
    EXPECT_EQ(r.status, c.status);
    std::string said = c.said;
    said.replace(said.find("%s"), 2, dir.Path().string());
    EXPECT_EQ(r.out, "ファイル名： report.doc\nサイズ： 200,000Bytes\n  復元中です\n" + said);
    fs::remove_all(dir / "out");
    fs::remove_all(dir / "report.d03");
  }
}

TEST_F(Restorer, NamesTheToolsThatRebuildAPieceWhenRecoveryDataIsBeside) {
  const std::string tools =
      "修復データがあります。「par2 repair report.par2」または MultiPar "
      "でファイルを作り直せます。\n";
  const struct {
    const char* name;
    std::function<void(Restorer&)> damage;
    const char* said;  // with the folder written in for "%s"
  } cases[] = {
      {"missing", [](Restorer& t) { fs::remove(t.dir / "report.d03"); },
       "ファイルが見つかりません\n%s/report.d03: No such file or directory\n"},
      {"damaged", [](Restorer& t) { t.Flip("report.d02", 100); },
       "ファイルの内容が正しくありません。強行しますか？\n[%s/report.d02]\n-> no\n"},
      {"damaged last", [](Restorer& t) { t.Flip("report.d04", 100); },
       "ファイルの内容が正しくありません。\n[%s/report.d04]\n"},
      {"truncated", [](Restorer& t) { fs::resize_file(t.dir / "report.d03", 30000); },
       "ファイルの終端が欠けています。\n[%s/report.d03]\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Divide(200000, kLinux);
    ASSERT_EQ(RunCli("protect report.exe --recovery 1").status, 0);
    c.damage(*this);
    fs::create_directories(dir / "out");
    const Result r = RunFirstPiece("-y -o out");
    std::string said = c.said;
    said.replace(said.find("%s"), 2, dir.Path().string());
    EXPECT_NE(r.out.find(said + tools), std::string::npos) << r.out;
    fs::remove_all(dir / "out");
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
      if (entry.path().extension() == ".par2") {
        fs::remove(entry.path());
      }
    }
    fs::remove_all(dir / "report.d03");
  }
  // Without recovery data the line is not there.
  Divide(200000, kLinux);
  fs::remove(dir / "report.d03");
  fs::create_directories(dir / "out");
  const Result r = RunFirstPiece("-y -o out");
  EXPECT_TRUE(r.out.ends_with("No such file or directory\n復元を中止しました\n")) << r.out;
  EXPECT_EQ(r.out.find("修復データ"), std::string::npos);
}

TEST_F(Restorer, WindowsRestorerAnswersAlike) {
  if (std::string(KV_WINE).empty()) {
    GTEST_SKIP() << "wine is not installed: the Windows restorer is not run";
  }
  Divide(200000, kWindows);
  Flip("report.d02", 100);
  fs::remove(dir / "report.d04");
  fs::create_directories(dir / "out");
  Result r = RunFirstPiece("-y -o out", kWindows);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(
      r.out.starts_with("ファイル名： report.doc\nサイズ： 200,000Bytes\n  復元中です\n"
                        "ファイルの内容が正しくありません。強行しますか？\n["))
      << r.out;
  EXPECT_TRUE(r.out.ends_with("report.d02]\n-> no\n復元を中止しました\n")) << r.out;
  r = RunFirstPiece("--test", kWindows);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "ファイル名： report.doc\nサイズ： 200,000Bytes\n"
            "○  report.exe\n▲  report.d02  CRCエラー\n○  report.d03\n"
            "×  report.d04  ファイルが開けません\n");
}

// A name recorded by a Japanese Windows, in code page 932 with a 0x5C trail
// byte, restores under its own name on both systems (on Windows through the
// wide file calls).
TEST_F(Restorer, RestoresACodePage932Name) {
  for (const int kind : {kLinux, kWindows}) {
    if (kind == kWindows && std::string(KV_WINE).empty()) {
      continue;
    }
    SCOPED_TRACE(kind);
    Divide(80000, kind);
    // "report.doc" becomes the ten bytes of "表示表.txt" in its header.
    std::vector<std::uint8_t> first = ReadFileBytes(dir / "report.exe");
    const std::string name = "\x95\x5C\x8E\xA6\x95\x5C.txt";
    const std::size_t at = stubs.StubSize(kind) + 19;
    ASSERT_EQ(std::string(first.begin() + static_cast<long>(at),
                          first.begin() + static_cast<long>(at) + 10),
              "report.doc");
    std::copy(name.begin(), name.end(), first.begin() + static_cast<long>(at));
    WriteFileBytes(dir / "report.exe", first);
    fs::create_directories(dir / "out");
    const Result r = RunFirstPiece("-y -o out", kind);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(r.out.starts_with("ファイル名： 表示表.txt\n")) << r.out;
    EXPECT_EQ(ReadFileBytes(dir / "out/表示表.txt"), source);
    fs::remove_all(dir / "out");
  }
}

TEST_F(Restorer, TestVerdictsWriteNothing) {
  Divide(200000, kLinux);
  Result r = RunFirstPiece("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.starts_with("使い方")) << r.out;
  EXPECT_EQ(RunFirstPiece("--tset").status, 2);
  r = RunFirstPiece("--test");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "ファイル名： report.doc\nサイズ： 200,000Bytes\n"
            "○  report.exe\n○  report.d02\n○  report.d03\n○  report.d04\n");
  Flip("report.d02", 5000);
  fs::remove(dir / "report.d04");
  r = RunFirstPiece("--test");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "ファイル名： report.doc\nサイズ： 200,000Bytes\n"
            "○  report.exe\n▲  report.d02  CRCエラー\n○  report.d03\n"
            "×  report.d04  ファイルが開けません\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 6)
      << "only the source, the three pieces left, and the run's input and output";
}

TEST_F(Restorer, AsksForTheFolderOfAMissingPieceAndTheOutput) {
  Divide(200000, kLinux);
  fs::create_directories(dir / "medium2");
  fs::create_directories(dir / "out");
  fs::rename(dir / "report.d03", dir / "medium2/report.d03");
  fs::rename(dir / "report.d04", dir / "medium2/report.d04");
  // The output folder, then the folder of the next medium.
  const Result r = RunFirstPiece("", kLinux, dir / "out" + "\n" + dir / "medium2" + "\n");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "ファイル名： report.doc\nサイズ： 200,000Bytes\n復元先のフォルダ（Enterで " +
                       dir.Path().string() + "）：   復元中です\nファイルが見つかりません\n" +
                       dir / "report.d03" +
                       ": No such file or directory\n次のファイルのあるフォルダ（Enterで中止）： "
                       "復元が終了しました\n");
  EXPECT_EQ(ReadFileBytes(dir / "out/report.doc"), source);
}

TEST_F(Restorer, NeverWritesOverWhatStandsThere) {
  Divide(200000, kLinux);
  fs::create_directories(dir / "out");
  WriteFileBytes(dir / "target", {1, 2, 3});
  fs::create_symlink(dir / "target", dir / "out/report.doc");
  Result r = RunFirstPiece("-y -o out");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(
      r.out.ends_with("out/report.doc は\nすでに存在しますが、上書きしてもよろしいですか\n-> no\n"
                      "復元を中止しました\n"))
      << r.out;
  // Overwriting replaces the link itself; the file it led to stays as it was.
  r = RunFirstPiece("-y --overwrite -o out");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_FALSE(fs::is_symlink(dir / "out/report.doc"));
  EXPECT_EQ(ReadFileBytes(dir / "out/report.doc"), source);
  EXPECT_EQ(ReadFileBytes(dir / "target"), (std::vector<std::uint8_t>{1, 2, 3}));
}

// An old out/report.doc gives its name up only to a whole restored file; at
// every other end it stays as it was, the restored bytes beside it under the
// name the run states.
TEST_F(Restorer, ReplacesAnOldFileOnlyWithAWholeOne) {
  struct Case {
    const char* name;
    int kind;
    std::function<void(Restorer&)> damage;
    const char* limits;
    int status;
    const char* kept;  // nullptr: replaced; else where the restored bytes stay
    bool keptIsStart;  // the kept bytes are the start of the source
  };
  const auto missing = [](Restorer& t) { fs::remove(t.dir / "report.d03"); };
  const auto damagedLast = [](Restorer& t) { t.Flip("report.d04", 100); };
  const auto none = [](Restorer&) {};
  // The disk is "full" at 194,560 bytes: at the last write of 200,000.
  const char* full = "trap '' XFSZ; ulimit -f 380; ";
  const std::vector<Case> cases = {
      {"whole", kLinux, none, "", 0, nullptr, false},
      {"damaged last piece", kLinux, damagedLast, "", 3, nullptr, false},
      {"missing piece", kLinux, missing, "", 1, "report.doc.kvpart", true},
      {"damaged piece declined", kLinux, [](Restorer& t) { t.Flip("report.d02", 100); }, "", 1,
       "report.doc.kvpart", false},
      {"name beside taken", kLinux,
       [](Restorer& t) {
         fs::remove(t.dir / "report.d04");
         WriteFileBytes(t.dir / "out/report.doc.kvpart", {9});
       },
       "", 1, "report.doc.kvpart.1", true},
      {"disk full at the last write", kLinux, none, full, 1, "report.doc.kvpart", true},
      {"disk full after a damaged last piece", kLinux, damagedLast, full, 1, "report.doc.kvpart",
       false},
      {"whole", kWindows, none, "", 0, nullptr, false},
      {"missing piece", kWindows, missing, "", 1, "report.doc.kvpart", true},
      {"disk full after a damaged last piece", kWindows, damagedLast, full, 1, "report.doc.kvpart",
       false},
  };
  const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
  for (const Case& c : cases) {
    if (c.kind == kWindows && std::string(KV_WINE).empty()) {
      GTEST_SKIP() << "wine is not installed: the Windows restorer is not run";
    }
    SCOPED_TRACE(std::string(c.name) + (c.kind == kWindows ? " (Windows)" : ""));
    Divide(200000, c.kind);
    fs::create_directories(dir / "out");
    WriteFileBytes(dir / "out/report.doc", old);
    c.damage(*this);
    limits = c.limits;
    const Result r = RunFirstPiece("-y --overwrite -o out", c.kind);
    limits.clear();
    EXPECT_EQ(r.status, c.status) << r.out;
    const std::vector<std::uint8_t> now = ReadFileBytes(dir / "out/report.doc");
    if (c.kept == nullptr) {
      EXPECT_EQ(now.size(), source.size());
      EXPECT_EQ(now == source, c.status == 0);
      if (c.status == 0) {
        EXPECT_EQ(ModifiedTimeUtc(dir / "out/report.doc"), kSourceTime);
      }
      EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 1);
    } else {
      EXPECT_EQ(now, old);
      const std::string sep = c.kind == kWindows ? "\\" : "/";
      EXPECT_TRUE(r.out.ends_with(
          "元のファイルはそのままです。復元したデータは次の名前で残っています： out" + sep +
          c.kept + "\n復元を中止しました\n"))
          << r.out;
      const std::vector<std::uint8_t> kept = ReadFileBytes(dir / "out/" + c.kept);
      EXPECT_GT(kept.size(), 80000u);
      EXPECT_EQ(std::equal(kept.begin(), kept.end(), source.begin()), c.keptIsStart);
    }
    fs::remove_all(dir / "out");
  }
}

// The file the question was about is the only one the answer lets go: one
// put in its place while the question waits stays, and so does the restored
// file, beside it.
TEST_F(Restorer, KeepsAFileSwappedInWhileAsked) {
  for (const int kind : {kLinux, kWindows}) {
    if (kind == kWindows && std::string(KV_WINE).empty()) {
      GTEST_SKIP() << "wine is not installed: the Windows restorer is not run";
    }
    SCOPED_TRACE(kind);
    Divide(200000, kind);
    fs::create_directories(dir / "out");
    WriteFileBytes(dir / "out/report.doc", {'o', 'l', 'd'});
    const Result r = RunFirstPieceFed(
        "for i in $(seq 400); do grep -q '(y/n)' .out 2>/dev/null && break; sleep 0.05; done; "
        "rm out/report.doc; echo swapped in >out/report.doc; echo y",
        "-o out", kind);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(ReadText(dir / "out/report.doc"), "swapped in\n");
    EXPECT_EQ(ReadFileBytes(dir / "out/report.doc.kvpart"), source);
    const std::string sep = kind == kWindows ? "\\" : "/";
    EXPECT_TRUE(r.out.ends_with(
        "out" + sep + "report.doc は\n上書きの確認の後に変わったため、上書きしません\n" +
        "元のファイルはそのままです。復元したデータは次の名前で残っています： out" + sep +
        "report.doc.kvpart\n復元を中止しました\n"))
        << r.out;
    fs::remove_all(dir / "out");
  }
}

// Names from the file system reach the terminal escaped, as kolvanto-cli shows them.
TEST_F(Restorer, EscapesControlCharactersInPaths) {
  Divide(200000, kLinux);
  const std::string folder = "a\x1b[31mb\nc";
  fs::create_directories(dir / folder);
  for (const char* piece : {"report.exe", "report.d02", "report.d04"}) {
    fs::rename(dir / piece, dir / folder + "/" + piece);
  }
  fs::create_directories(dir / "out");
  const Result r = RunFirstPiece("-y -o ../out", kLinux, "", folder);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.ends_with("ファイルが見つかりません\n" + dir.Path().string() +
                              "/a\\x1b[31mb\\nc/report.d03: No such file or directory\n"
                              "復元を中止しました\n"))
      << r.out;
}

// A single-piece series built around the Linux restorer (or the Windows one
// where `kind` says so), recording `name`.
TEST_F(Restorer, ReducesTheRecordedNameToASafeFileName) {
  struct Case {
    std::string recorded;
    const char* created;  // nullptr: refused
    const char* said;
    int kind = kLinux;
  };
  const char* sameAsSource =
      "元のファイルと作成ファイルが同一です。作成ファイル名を変更してください\n"
      "復元を中止しました\n";
  const std::vector<Case> cases = {
      {"../evil.txt", "evil.txt", "復元が終了しました\n"},
      {"dir\\sub\\win.txt", "win.txt", "復元が終了しました\n"},
      {"a:b?.txt", "a_b_.txt", "復元が終了しました\n"},
      {"..", nullptr, "分割ファイルが壊れています\n"},
      {std::string("bad\x01name"), "bad_name", "復元が終了しました\n"},
      {std::string("nul\0name", 8), "nul_name", "復元が終了しました\n"},
      {"\xE2\x80\xAEtxt.exe", "_txt.exe", "復元が終了しました\n"},
      {"report.d02", nullptr, sameAsSource},
      {"report.exe", nullptr, sameAsSource},
      // Past the gap at report.d03, and at the last number a piece can have.
      {"report.d04", nullptr, sameAsSource},
      {"report.d32895", nullptr, sameAsSource},
      {"report.d004", "report.d004", "復元が終了しました\n"},
      {"report.d04. ", nullptr, sameAsSource},
      {"data.", "data", "復元が終了しました\n"},
      // Other names of report.d04 on Windows.
      {"REPORT.D04", nullptr, sameAsSource, kWindows},
      {"report.d04.", nullptr, sameAsSource, kWindows},
  };
  const std::vector<std::uint8_t> body = RandomBytes(3000, 5);
  const RecordedTime time = PackTime(kSourceTime);
  WriteFileBytes(dir / "report.d02", {7});  // a following piece's name is no output either
  WriteFileBytes(dir / "report.d04", {4});
  for (const Case& c : cases) {
    if (c.kind == kWindows && std::string(KV_WINE).empty()) {
      GTEST_SKIP() << "wine is not installed: the Windows restorer is not run";
    }
    SCOPED_TRACE(c.recorded);
    fs::create_directories(dir / "out");
    auto header = BuildType3FirstHeader(3000, 0, 0x1234, c.recorded, time.year, time.packedTime);
    header = BuildType3FirstHeader(3000, static_cast<std::int64_t>(header.size() + body.size()),
                                   0x1234, c.recorded, time.year, time.packedTime);
    const std::uint16_t crc = Crc16Of(body.data(), body.size());
    const std::uint8_t trailer[3] = {static_cast<std::uint8_t>(crc),
                                     static_cast<std::uint8_t>(crc >> 8), 0};
    fs::remove(dir / "report.exe");
    auto piece =
        BinaryFile::Open(dir / "report.exe", BinaryFile::Mode::kCreateWrite).ValueOr(nullptr);
    ASSERT_TRUE(
        piece && stubs.CopyStub(c.kind, *piece) && piece->Write(header.data(), header.size()) &&
        piece->Write(body.data(), body.size()) && piece->Write(trailer, 3) && piece->Close());
    fs::permissions(dir / "report.exe", fs::perms::owner_all);
    const bool besidePieces =
        c.recorded.starts_with("report.") || c.recorded.starts_with("REPORT.");
    const std::string outFolder = besidePieces ? "." : "out";
    const Result r = RunFirstPiece("-y --overwrite -o " + outFolder, c.kind);
    EXPECT_EQ(r.status, c.created ? 0 : 1);
    EXPECT_TRUE(r.out.ends_with(c.said)) << r.out;
    if (c.created) {
      EXPECT_EQ(ReadFileBytes(dir / outFolder + "/" + c.created), body);
    }
    EXPECT_EQ(fs::file_size(dir / "report.exe"), stubs.StubSize(c.kind) + header.size() + 3003);
    EXPECT_EQ(ReadFileBytes(dir / "report.d02"), std::vector<std::uint8_t>{7});
    EXPECT_EQ(ReadFileBytes(dir / "report.d04"), std::vector<std::uint8_t>{4});
    fs::remove_all(dir / "out");
    fs::remove(dir / "report.d004");
  }
}

}  // namespace
}  // namespace kv::test
