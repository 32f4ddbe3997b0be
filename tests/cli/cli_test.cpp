// kolvanto-cli on real files: every type divided and restored, self-restoring
// series, questions with and without a terminal, exit statuses.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/crc16.h"
#include "core/typed_header_builder.h"
#include "tests/support/stub_data_builder.h"
#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class Cli : public ::testing::Test {
 protected:
  // Runs the program in the temporary folder without a terminal.
  Result Run(const std::string& args) {
    const std::string command = "cd " + dir.Path().string() + " && " + StoreEnvironment() +
                                KV_CLI_PATH " " + args + " >" + dir / ".out" + " 2>" +
                                dir / ".err" + " </dev/null";
    return Finish(std::system(command.c_str()));
  }
  // Runs it on a pseudo terminal, typing `keys` (one answer a line).
  Result RunOnTerminal(const std::string& args, const std::string& keys) {
    std::ofstream(dir / ".keys") << keys;
    const std::string command = "cd " + dir.Path().string() + " && " + StoreEnvironment() +
                                "script -qec '" KV_CLI_PATH " " + args + "' /dev/null <" +
                                dir / ".keys" + " >" + dir / ".out" + " 2>" + dir / ".err";
    return Finish(std::system(command.c_str()));
  }
  // The child's settings store lives in the temporary folder, never the user's own.
  std::string StoreEnvironment() { return "XDG_CONFIG_HOME=" + dir / ".config" + " "; }
  std::string StoreFile() { return dir / ".config/Orvik Software/Kolvanto.ini"; }
  void WriteStore(const std::string& text) {
    std::filesystem::create_directories(dir / ".config/Orvik Software");
    std::ofstream(StoreFile()) << text;
  }
  // Pieces written here are followed by the next-medium question.
  void StoreTemporaryFolderAsRemovable() {
    WriteStore(
        "[General]\nMajorVersion=3\nMinorVersion=12\n\n[Settings]\nFDAuto=0\n"
        "RemovableDrive=" +
        dir.Path().string() + "\n");
  }
  Result Finish(int raw) {
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadText(dir / ".out");
    r.err = ReadText(dir / ".err");
    return r;
  }
  void MakeSource(const std::string& name, std::size_t size) {
    source = RandomBytes(size, 7);
    WriteFileBytes(dir / name, source);
  }
  bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
  // Divides big.bin in a child, sends `signal` while the first piece grows and
  // checks that the job, not the program, was stopped.
  void StopOnSignal(int signal);

  TempDir dir;
  std::vector<std::uint8_t> source;
};

TEST_F(Cli, EveryTypeDividesAndRestores) {
  for (int type = 0; type <= 3; ++type) {
    SCOPED_TRACE(type);
    MakeSource("data.bin", 50000);
    Result r = Run("divide data.bin -t " + std::to_string(type) + " -s 20,000");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "分割が終了しました\n");
    const std::string first = type == 0 ? "data.001" : "data.d01";
    const std::string third = type == 0 ? "data.003" : "data.d03";
    EXPECT_TRUE(std::filesystem::exists(dir / third));
    EXPECT_EQ(std::filesystem::file_size(dir / first), 20000u);
    std::filesystem::remove(dir / "data.bin");
    r = Run("restore " + first + " -o " + dir / "back.bin");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "復元が終了しました\n");
    EXPECT_EQ(ReadFileBytes(dir / "back.bin"), source);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      std::filesystem::remove(entry.path());
    }
  }
}

TEST_F(Cli, Type0OptionsAndDefaultNames) {
  MakeSource("notes.txt", 30000);
  Result r = Run("divide notes.txt -t 0 -s 10K --ext-char x --ext-start 0");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(std::filesystem::file_size(dir / "notes.x00"), 10240u);
  EXPECT_TRUE(std::filesystem::exists(dir / "notes.x02"));
  r = Run("restore notes.x00 --ext txt");
  // The proposed name is notes.txt, which exists: not overwritten without --overwrite.
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "は\nすでに存在しますが、上書きしてもよろしいですか\n-> no"));
  std::filesystem::remove(dir / "notes.txt");
  r = Run("restore notes.x00 --ext txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "notes.txt"), source);
}

TEST_F(Cli, SelfRestoringSeries) {
  const std::vector<std::uint8_t> stub(3000, 0x4D);
  WriteFileBytes(dir / "stubs.dat", BuildStubDataFile(2, 0, {{"WIN32", stub}}));
  MakeSource("data.bin", 40000);
  Result r = Run("divide data.bin -s 10000 --self-restore 0 --stub-data stubs.dat");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.err, "以下の条件で自己復元型分割ファイルを作成します"));
  EXPECT_TRUE(Contains(r.err, "ファイルの種類 : WIN32"));
  const auto first = ReadFileBytes(dir / "data.exe");
  ASSERT_EQ(first.size(), 10000u);
  EXPECT_TRUE(std::equal(stub.begin(), stub.end(), first.begin()));
  EXPECT_EQ(first[3000], 3);  // a Type3 header behind the stub
  EXPECT_TRUE(std::filesystem::exists(dir / "data.d02"));

  r = Run("info data.exe");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "分割元ファイル： data.bin 40,000Bytes\nType3\njob: restore\ndestination: " +
                       dir / "data.bin" + "\n");
  std::filesystem::remove(dir / "data.bin");
  r = Run("restore data.exe");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "data.bin"), source);

  // Version 1 stubs make Type2 series; no kinds: the command is refused.
  WriteFileBytes(dir / "stubs1.dat", BuildStubDataFile(1, 0, {{"WIN32", stub}}));
  r = Run("divide data.bin -s 10000 --self-restore 0 --stub-data stubs1.dat --overwrite");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "data.exe")[3000], 2);
  r = Run("divide data.bin --self-restore 0 --stub-data missing.dat");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Kolvanto.datがありません\n");
  // The stub counts toward the smallest size.
  r = Run("divide data.bin -s 1024 --self-restore 0 --stub-data stubs.dat");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err, "分割サイズは4,024bytes以上にして下さい"));
}

TEST_F(Cli, FindsTheStubDataFileBesideTheProgram) {
  // An installed layout: bin/kolvanto-cli with share/kolvanto/Kolvanto.dat,
  // and then a Kolvanto.dat in bin/ itself, which is looked at first.
  std::filesystem::create_directories(dir / "bin");
  std::filesystem::create_directories(dir / "share/kolvanto");
  std::filesystem::copy_file(KV_CLI_PATH, dir / "bin/kolvanto-cli");
  WriteFileBytes(dir / "share/kolvanto/Kolvanto.dat",
                 BuildStubDataFile(2, 0, {{"WIN32", std::vector<std::uint8_t>(2000, 0x4D)}}));
  MakeSource("data.bin", 40000);
  const std::string program = dir / "bin/kolvanto-cli";
  std::string command = "cd " + dir.Path().string() + " && " + StoreEnvironment() + program +
                        " divide data.bin -s 10000 --self-restore 0 >/dev/null 2>&1 </dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFileBytes(dir / "data.exe")[2000], 3);
  // --version names the file found and the kinds it offers (the shell completion reads them).
  command = program + " --version >" + dir / ".out";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadText(dir / ".out"),
            "kolvanto-cli 3.12\n" +
                (std::filesystem::canonical(dir.Path()) / "share/kolvanto/Kolvanto.dat").string() +
                ": 自己復元型分割データ  ver. 2.00\n--self-restore 0: WIN32\n");

  WriteFileBytes(dir / "bin/Kolvanto.dat",
                 BuildStubDataFile(1, 0, {{"WIN32", std::vector<std::uint8_t>(3000, 0x4D)}}));
  command = "cd " + dir.Path().string() + " && " + StoreEnvironment() + program +
            " divide data.bin -s 10000 --self-restore 0 --overwrite >/dev/null 2>&1 </dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFileBytes(dir / "data.exe")[3000], 2);
}

TEST_F(Cli, InfoAndRefusals) {
  MakeSource("report.doc", 3000000);
  Result r = Run("info report.doc -t 0");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "3,000,000Bytes 1.44MBフロッピーが 3枚必要です\njob: divide\ndestination: " +
                       dir / "report.001" + "\n");
  r = Run("info missing.doc");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "元のファイルは開けません\n存在しないか、他のソフトが使用しています。\n");
  r = Run("divide report.doc -s 5M");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "分割する必要はありません。\n");
  r = Run("divide report.doc -s 1023");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "[Kolvanto]\n分割サイズは1,024bytes以上にして下さい\n");
  EXPECT_EQ(r.out, "");
  // The analysis stopped before describing anything: only the message, on standard error.
  r = Run("info report.doc -s 100");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "[Kolvanto]\n分割サイズは1,024bytes以上にして下さい\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Run("divide report.doc -s 3G").status, 2);
  EXPECT_EQ(Run("restore report.doc").status, 2);
  r = Run("divide report.doc -s fit");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "report.d02"));
}

// A destination folder that does not exist is a medium that is not ready;
// giving up on it names the folder and the system's reason.
// Media names and sizes beyond 2 GB, on a sparse 30 GB source the analysis only measures.
TEST_F(Cli, SizesBeyond2GBAndMediumNames) {
  std::filesystem::resize_file(
      (std::ofstream(dir / "disc.iso"), std::filesystem::path(dir / "disc.iso")), 30000000000);
  const std::string dest = "\njob: divide\ndestination: " + dir / "disc.d01" + "\n";
  struct Case {
    const char* args;
    std::string out;
  } cases[] = {
      {"-t 3 -s fat32", "30,000,000,000Bytes FAT32 USBメモリが 7枚必要です" + dest},
      {"-t 3 -s dvd", "30,000,000,000Bytes 4.7GB DVD-Rが 7枚必要です" + dest},
      {"-t 3 -s dvd-dl", "30,000,000,000Bytes 8.5GB DVD-R DLが 4枚必要です" + dest},
      {"-t 3 -s bd", "30,000,000,000Bytes 25GB BD-Rが 2枚必要です" + dest},
      {"-t 3 -s mail", "30,000,000,000Bytes メール添付 25MBが 1,145枚必要です" + dest},
      {"-t 0 -s 4,294,967,296",
       std::string("30,000,000,000Bytes 4,294,967,296Bytesの記憶媒体が 7枚必要です") +
           "\njob: divide\ndestination: " + dir / "disc.001" + "\n"},
      {"-t 3 -s 1T", "分割する必要はありません。\n"},
  };
  for (const Case& c : cases) {
    const Result r = Run(std::string("info disc.iso ") + c.args);
    EXPECT_EQ(r.out + r.err, c.out) << c.args;
  }
  // Type1 and Type2 keep their limits.
  EXPECT_EQ(Run("info disc.iso -t 2 -s dvd").out,
            "Type2およびType1では、2GB以上のファイルを\n分割することはできません。\n");
  EXPECT_EQ(Run("info disc.iso -s 2T").status, 2);
  EXPECT_EQ(Run("info disc.iso -s 1025G").status, 2);
}

TEST_F(Cli, MediumNotReadyEndsNamingTheFolderAndTheReason) {
  MakeSource("report.doc", 30000);
  const Result r = Run("divide report.doc -s 10K -o " + dir / "missing/report.d01");
  EXPECT_EQ(r.status, 1);
  const std::string tail =
      "[Kolvanto]\n書き込み先のドライブの準備ができていません\n-> cancel\n"
      "分割を中止しました\n" +
      dir / "missing" + ": No such file or directory\n";
  ASSERT_GE(r.err.size(), tail.size()) << r.err;
  EXPECT_EQ(r.err.substr(r.err.size() - tail.size()), tail);
}

TEST_F(Cli, ResumeGoesOnFromTheFirstPieceNotWholeOnlyWhenAsked) {
  MakeSource("data.bin", 50000);
  ASSERT_EQ(Run("divide data.bin -s 20000").status, 0);
  std::filesystem::resize_file(dir / "data.d02", 5000);
  const auto firstWritten = std::filesystem::last_write_time(dir / "data.d01");

  // Without a terminal and --resume, the question is declined, and so is the overwrite.
  Result r = Run("divide data.bin -s 20000");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(
      Contains(r.err, "[Kolvanto  続行確認]\n" + dir / "data.d01" +
                          " は\n途中まで作成された分割ファイルです。続きから分割しますか？\n-> "
                          "no\n[Kolvanto  上書き確認]"))
      << r.err;
  EXPECT_EQ(std::filesystem::file_size(dir / "data.d02"), 5000u);

  // -y answers every other question, and writes the series afresh.
  r = Run("divide data.bin -s 20000 -y");
  EXPECT_TRUE(Contains(r.err, "続きから分割しますか？\n-> no\n")) << r.err;
  EXPECT_EQ(std::filesystem::file_size(dir / "data.d02"), 20000u);
  std::filesystem::resize_file(dir / "data.d02", 5000);
  std::filesystem::last_write_time(dir / "data.d01", firstWritten);

  r = Run("divide data.bin -s 20000 --resume --progress");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "分割が終了しました\n");
  EXPECT_TRUE(Contains(r.err, "going on from piece 2\n")) << r.err;
  EXPECT_EQ(std::filesystem::last_write_time(dir / "data.d01"), firstWritten);
  r = Run("restore data.d01 -o back.bin");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "back.bin"), source);
}

TEST_F(Cli, DamagedLastPieceEndsWithAnError) {
  MakeSource("data.bin", 50000);
  ASSERT_EQ(Run("divide data.bin -s 20000").status, 0);
  auto last = ReadFileBytes(dir / "data.d03");
  last[100] ^= 0xFF;
  WriteFileBytes(dir / "data.d03", last);
  // A damaged middle piece is a forcing question: No without a terminal.
  auto middle = ReadFileBytes(dir / "data.d02");
  middle[100] ^= 0xFF;
  WriteFileBytes(dir / "data.d02", middle);
  Result r = Run("restore data.d01 -o out1.bin");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "強行しますか？"));
  EXPECT_TRUE(Contains(r.err, "\n復元を中止しました\n")) << r.err;
  r = Run("restore data.d01 -o out2.bin --force");
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "\n復元は終了しましたが、エラーが発生しました。\n")) << r.err;
}

// A restore that went on past a forcing question is no plain success: a
// script must not take the result for the original and delete the pieces.
TEST_F(Cli, ForcedPieceIsNamedAndEndsWithStatus3) {
  MakeSource("data.bin", 50000);
  ASSERT_EQ(Run("divide data.bin -s 20000").status, 0);
  auto middle = ReadFileBytes(dir / "data.d02");
  middle[100] ^= 0xFF;
  WriteFileBytes(dir / "data.d02", middle);
  const Result r = Run("restore data.d01 -o out.bin -y");
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_EQ(r.out, "復元が終了しました\n");
  EXPECT_TRUE(Contains(r.err, "forced: " + (dir / "data.d02") + "\n")) << r.err;
}

// A Type0 series with a gap: ending at the gap is no complete restore.
TEST_F(Cli, Type0SeriesWithAGapEndsAsCancelledNamingTheGap) {
  MakeSource("notes.txt", 30000);
  ASSERT_EQ(Run("divide notes.txt -t 0 -s 10000 --ext-start 1").status, 0);
  std::filesystem::remove(dir / "notes.002");
  const Result r = Run("restore notes.001 -o gap.txt");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(Contains(r.err, "missing: " + (dir / "notes.002") + "\n")) << r.err;
  EXPECT_EQ(r.out, "");
  std::filesystem::remove(dir / "notes.003");
  EXPECT_EQ(Run("restore notes.001 -o end.txt").status, 0);
  // Past piece 999 the end of the series is no gap either.
  MakeSource("many.bin", 1001 * 1024 + 5);
  ASSERT_EQ(Run("divide many.bin -t 0 -s 1024 --ext-start 1").status, 0);
  const Result many = Run("restore many.001 -o many.out");
  EXPECT_EQ(many.status, 0) << many.err;
  EXPECT_TRUE(ReadFileBytes(dir / "many.out") == ReadFileBytes(dir / "many.bin"));
}

TEST_F(Cli, QuestionsOnATerminal) {
  MakeSource("data.bin", 50000);
  Result r = RunOnTerminal("divide data.bin -s 20000", "n\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.out, "[Kolvanto  実行確認]"));
  EXPECT_TRUE(Contains(r.out, "(Y/n)"));
  EXPECT_FALSE(std::filesystem::exists(dir / "data.d01"));
  r = RunOnTerminal("divide data.bin -s 20000", "y\n");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Contains(r.out, "kBytes"));  // the progress line
  EXPECT_TRUE(Contains(r.out, "分割が終了しました"));
  // Going on from the series there, then overwrite, are asked and answered on the terminal.
  r = RunOnTerminal("divide data.bin -s 20000", "y\nn\ny\n");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Contains(r.out, "続きから分割しますか？\r\n(Y/n)")) << r.out;
  EXPECT_TRUE(Contains(r.out, "[Kolvanto  上書き確認]"));
  r = RunOnTerminal("divide data.bin -s 20000", "y\nn\nn\n");
  EXPECT_EQ(r.status, 1) << r.out;
  // -y answers without asking.
  r = RunOnTerminal("divide data.bin -s 20000 -y", "");
  EXPECT_EQ(r.status, 0) << r.out;
}

TEST_F(Cli, EnterTakesTheDefaultButNeverOverwrites) {
  MakeSource("data.bin", 50000);
  WriteFileBytes(dir / "data.d01", {1, 2, 3});
  // Enter confirms the job, yet declines overwriting the existing first piece.
  Result r = RunOnTerminal("divide data.bin -s 20000", "\n\n");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_TRUE(Contains(r.out, "[Kolvanto  実行確認]"));
  EXPECT_TRUE(Contains(r.out, "(Y/n)"));
  EXPECT_TRUE(Contains(r.out, "すでに存在しますが、上書きしてもよろしいですか\r\n(y/N)")) << r.out;
  EXPECT_EQ(ReadFileBytes(dir / "data.d01"), (std::vector<std::uint8_t>{1, 2, 3}));
  r = RunOnTerminal("divide data.bin -s 20000", "\ny\n");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(std::filesystem::file_size(dir / "data.d01"), 20000u);
}

// Ctrl+C, or the terminal closing (SIGHUP), during a job stops the job, not
// the program: the end is reported.
TEST_F(Cli, InterruptStopsTheJob) {
  const std::string big = dir / "big.bin";
  WriteFileBytes(big, {});
  // Pieces of 1 GiB: the first takes long enough that the interrupt, sent as
  // soon as it grows, lands in it even on a loaded machine.
  std::filesystem::resize_file(big, std::uintmax_t{2} << 30);
  for (const int signal : {SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    std::filesystem::remove(dir / "big.001");
    StopOnSignal(signal);
  }
}

void Cli::StopOnSignal(int signal) {
  const std::string config = dir / ".config";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::chdir(dir.Path().c_str()) != 0 || ::setenv("XDG_CONFIG_HOME", config.c_str(), 1) != 0 ||
        !std::freopen("/dev/null", "r", stdin) ||
        !std::freopen((dir / ".out").c_str(), "w", stdout) ||
        !std::freopen((dir / ".err").c_str(), "w", stderr)) {
      ::_exit(127);
    }
    ::execl(KV_CLI_PATH, KV_CLI_PATH, "divide", "big.bin", "-t", "0", "-s", "1G", nullptr);
    ::_exit(127);
  }
  // Wait until the first piece is being written.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::error_code error;
  while (std::filesystem::file_size(dir / "big.001", error) == 0 || error) {
    if (std::chrono::steady_clock::now() > deadline || ::waitpid(child, nullptr, WNOHANG) != 0) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(::kill(child, signal), 0);
  int raw = 0;
  while (::waitpid(child, &raw, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline + std::chrono::seconds(20)) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &raw, 0);
      FAIL() << "the program did not end after the signal";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  const std::string out = ReadText(dir / ".out");
  const std::string err = ReadText(dir / ".err");
  EXPECT_TRUE(Contains(err, "分割を中止しました\n")) << err;
  EXPECT_EQ(out, "");
  // The cut-off piece holds whole steps, and no second piece was begun.
  const auto written = std::filesystem::file_size(dir / "big.001");
  EXPECT_LT(written, std::uintmax_t{1} << 30);
  EXPECT_EQ(written % 1024, 0u);
  EXPECT_FALSE(std::filesystem::exists(dir / "big.002"));
}

TEST_F(Cli, UsageErrorsNameTheProgramAndHelpFitsEightyColumns) {
  const std::string tryHelp = "Try 'kolvanto-cli --help' for more information.\n";
  const struct {
    const char* args;
    std::string err;
  } usageErrors[] = {
      {"divide report.doc -s 3X",
       "kolvanto-cli: invalid size: 3X (a byte count up to 1,099,511,627,776, with K, M, G or T, "
       "fat32, dvd, dvd-dl, bd, mail, or fit)\n"},
      {"divide", "kolvanto-cli: SOURCE is required\n" + tryHelp},
      {"check . --sort size",
       "kolvanto-cli: --sort: size not in {name,verdict,remark}\n" + tryHelp},
  };
  for (const auto& c : usageErrors) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_EQ(r.err, c.err);
  }
  for (const char* args : {"--help-all", "divide --help", "restore --help"}) {
    const Result r = Run(args);
    EXPECT_EQ(r.status, 0) << args;
    std::istringstream lines(r.out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
      EXPECT_LE(line.size(), 80u) << args << ": " << line;
    }
    EXPECT_GT(count, 10) << args;
  }
}

}  // namespace
}  // namespace kv::test

namespace kv::test {
namespace {

TEST_F(Cli, StartsFromTheStoredSettingsWithoutWritingThem) {
  const std::string stored =
      "[General]\nMajorVersion=3\nMinorVersion=12\n\n"
      "[Settings]\nDivideType=0\nDivideSize=20000\n\n[Type0]\nDivideExt=0\n";
  WriteStore(stored);
  MakeSource("data.bin", 50000);
  Result r = Run("divide data.bin");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(std::filesystem::file_size(dir / "data.000"), 20000u);
  EXPECT_EQ(std::filesystem::file_size(dir / "data.002"), 10000u);
  // An option overrides the store for this run only.
  r = Run("info data.bin -t 3");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "data.d01")) << r.out;
  // --defaults ignores the store: 50,000 bytes fit the default 1.44 MB size.
  r = Run("info data.bin --defaults");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.out, "分割する必要はありません。")) << r.out;
  EXPECT_EQ(ReadText(StoreFile()), stored);
  EXPECT_FALSE(std::filesystem::exists(dir / ".config/Orvik Software/Kolvanto.ini.lock"));
}

// On a removable destination whose next piece exists, the next-medium and
// overwrite answers would alternate forever without a terminal.
TEST_F(Cli, RepeatedQuestionWithoutATerminalEndsAsCancelled) {
  StoreTemporaryFolderAsRemovable();
  MakeSource("data.bin", 50000);
  WriteFileBytes(dir / "data.d02", {1, 2, 3});
  const Result r = Run("divide data.bin -t 3 -s 20000");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err,
                       "the same question was asked 4 times: the job is stopped\n-> no\n"
                       "分割を中止しました\n"))
      << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "data.d02"), (std::vector<std::uint8_t>{1, 2, 3}));
}

// Names reach the terminal with their control characters, escape sequences
// and direction overrides escaped: in questions, final messages and check rows.
TEST_F(Cli, NamesAreShownEscaped) {
  const struct {
    const char* raw;
    const char* shown;
  } cases[] = {
      {"a\nb", "a\\nb"},         {"e\x1b[31m", "e\\x1b[31m"},   {"t\x7f", "t\\x7f"},
      {"c\xc2\x9b", "c\\u009b"}, {"r\xe2\x80\xae", "r\\u202e"},
  };
  int folder = 0;
  for (const auto& c : cases) {
    const std::string sub = "n" + std::to_string(++folder);
    std::filesystem::create_directory(dir / sub);
    MakeSource(sub + "/" + c.raw + ".bin", 30000);
    const Result divided = Run("divide " + sub + "/*.bin -t 3 -s 20000");
    const Result checked = Run("check " + sub);
    const std::string shown = divided.err + divided.out + checked.out;
    EXPECT_EQ(divided.status, 0) << c.shown;
    EXPECT_TRUE(Contains(divided.err, std::string(c.shown) + ".d01\n")) << divided.err;
    const std::string first = sub + "/" + c.shown + ".d01";
    EXPECT_EQ(checked.out, "○ " + first + "\n○ " + sub + "/" + c.shown + ".d02\n" + first +
                               ": 2 of 2 pieces, complete\n");
    EXPECT_FALSE(Contains(shown, c.raw)) << c.shown;
  }
}

// Ctrl+C typed while the next-medium question waits stops the job at once,
// though the terminal stays open. The shell execs the program, so that a
// shell which dies of the signal itself cannot decide the status.
TEST_F(Cli, InterruptEndsAWaitingQuestion) {
  StoreTemporaryFolderAsRemovable();
  MakeSource("data.bin", 50000);
  const std::string command = "cd " + dir.Path().string() + " && (printf 'y\\n'; sleep 2; " +
                              "printf '\\003'; sleep 5) | " + StoreEnvironment() +
                              "timeout 4 script -qec 'exec " KV_CLI_PATH
                              " divide data.bin -t 3 -s 20000' /dev/null >" +
                              dir / ".out";
  const Result r = Finish(std::system(command.c_str()));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_TRUE(Contains(r.out, "分割を中止しました")) << r.out;
  EXPECT_FALSE(std::filesystem::exists(dir / "data.d02"));
}

TEST_F(Cli, ReportsAStoreOfANewerVersion) {
  WriteStore("[General]\nMajorVersion=3\nMinorVersion=13\n");
  MakeSource("data.bin", 5000000);
  const Result r = Run("info data.bin");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.err,
                       "現在の記録されている設定は、より新しいバージョンの設定です。\n"
                       "そのため、正しく引き継がれないかもしれません。"))
      << r.err;
}

// A pipe at the store's name would block the first read for good: the
// command runs on the defaults and says so on standard error.
TEST_F(Cli, AStoreThatIsNoRegularFileIsNotRead) {
  std::filesystem::create_directories(dir / ".config/Orvik Software");
  ASSERT_EQ(::mkfifo(StoreFile().c_str(), 0600), 0);
  MakeSource("data.bin", 3000000);
  const std::string command = "cd " + dir.Path().string() + " && " + StoreEnvironment() +
                              "timeout 10 " KV_CLI_PATH " info data.bin >" + dir / ".out" + " 2>" +
                              dir / ".err" + " </dev/null";
  const Result r = Finish(std::system(command.c_str()));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err,
            "[Kolvanto]\n設定ファイルが通常のファイルではないため、既定の設定を使います。\n" +
                StoreFile() + "\n");
  EXPECT_EQ(r.out, "3,000,000Bytes 1.44MBフロッピーが 3枚必要です\njob: divide\ndestination: " +
                       dir / "data.d01" + "\n");
}

// Stored values no job can use fall back to their defaults with a warning;
// none of them stops a restore.
TEST_F(Cli, UnusableStoredValuesFallBackAndNeverBlockARestore) {
  MakeSource("data.bin", 50000);
  ASSERT_EQ(Run("divide data.bin -t 3 -s 20000").status, 0);
  std::filesystem::remove(dir / "data.bin");
  const struct {
    const char* stored;
    const char* warning;
  } cases[] = {
      {"DivideSize=500", "設定 DivideSize の値が正しくないため、1457664 を使います。"},
      {"DivideType=7", "設定 DivideType の値が正しくないため、3 を使います。"},
      {"HeadCut=1\nHeadCutFirst=-5", "設定 HeadCutFirst の値が正しくないため、0 を使います。"},
  };
  for (const auto& c : cases) {
    WriteStore(std::string("[General]\nMajorVersion=3\nMinorVersion=12\n\n[Settings]\n") +
               c.stored + "\n");
    const Result r = Run("restore data.d01 --overwrite");
    EXPECT_EQ(r.status, 0) << c.stored << r.err;
    EXPECT_TRUE(Contains(r.err, std::string("[Kolvanto]\n") + c.warning + "\n")) << r.err;
    EXPECT_EQ(ReadFileBytes(dir / "data.bin"), source) << c.stored;
  }
}

// A stub data file that would make a series no restore accepts is refused
// before the first piece, by its name.
TEST_F(Cli, AStubDataFileThatCannotStartASeriesIsRefused) {
  MakeSource("data.bin", 40000);
  std::vector<std::uint8_t> marked(3000, 0x4D);
  const std::string pattern("\x03-QX3-", 6);
  std::copy(pattern.begin(), pattern.end(), marked.begin() + 1500);
  WriteFileBytes(dir / "marked.dat", BuildStubDataFile(2, 0, {{"WIN32", marked}}));
  auto cut = BuildStubDataFile(2, 0, {{"WIN32", std::vector<std::uint8_t>(3000, 0x4D)}});
  cut.resize(cut.size() - 1);
  WriteFileBytes(dir / "cut.dat", cut);
  const struct {
    const char* file;
    std::string message;
  } cases[] = {
      {"marked.dat", dir / "marked.dat" +
                         " の復元プログラムに分割ファイルの目印が含まれています。\n"
                         "自己復元型分割ファイルを作成できません。"},
      {"cut.dat", dir / "cut.dat" + " は壊れています。\n自己復元型分割ファイルを作成できません。"},
  };
  for (const auto& c : cases) {
    const Result r =
        Run(std::string("divide data.bin -s 10000 --self-restore 0 --stub-data ") + c.file);
    EXPECT_EQ(r.status, 2) << c.file;
    EXPECT_EQ(r.err, "[Kolvanto]\n" + c.message + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "data.exe"));
  }
}

// More pieces than a Type3 series can number: nothing is written.
TEST_F(Cli, ADivideNeedingTooManyPiecesWritesNothing) {
  WriteFileBytes(dir / "big.bin", {});
  std::filesystem::resize_file(dir / "big.bin", 40000000);
  const Result r = Run("divide big.bin -t 3 -s 1024");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "分割ファイルは32,895個までしか作成できません。\n分割サイズを大きくして下さい。\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "big.d01"));
}

TEST_F(Cli, ChecksPiecesInAFolder) {
  MakeSource("data.bin", 50000);
  ASSERT_EQ(Run("divide data.bin -t 3 -s 20000").status, 0);
  std::filesystem::create_directory(dir / "pieces");
  for (const char* name : {"data.d01", "data.d02", "data.d03"}) {
    std::filesystem::rename(dir / name, dir / (std::string("pieces/") + name));
  }
  Result r = Run("check pieces");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "○ pieces/data.d01\n○ pieces/data.d02\n○ pieces/data.d03\n"
            "pieces/data.d01: 3 of 3 pieces, complete\n");

  auto middle = ReadFileBytes(dir / "pieces/data.d02");
  middle[500] ^= 0x01;
  WriteFileBytes(dir / "pieces/data.d02", middle);
  WriteFileBytes(dir / "pieces/note.d04", {1, 2, 3});
  r = Run("check pieces --sort verdict --reverse");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.out, "▲ CRCエラー pieces/data.d02\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, "？ 未対応 pieces/note.d04\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, "pieces/data.d01: 2 of at least 3 pieces, 1 damaged, incomplete\n"))
      << r.out;
  EXPECT_EQ(Run("check").status, 2);
}

// A series with a piece missing, and paths that cannot be read or listed,
// end with status 1 and say so.
TEST_F(Cli, CheckReportsIncompleteSeriesAndUnreadablePaths) {
  MakeSource("data.bin", 50000);
  ASSERT_EQ(Run("divide data.bin -t 3 -s 20000").status, 0);
  const struct {
    const char* paths;
    const char* out;
    const char* err;
  } cases[] = {
      {"data.d01 data.d03",
       "○ data.d01\n○ data.d03\ndata.d01: 2 of at least 3 pieces, incomplete\n", ""},
      {"data.d01 data.d02 data.d03 gone", "data.d01: 3 of 3 pieces, complete\n",
       "gone: No such file or directory\n"},
      {"data.bin/inside", "× ファイルが開けません data.bin/inside\n",
       "data.bin/inside: Not a directory\n"},
      // A medium that did not mount, or a folder of other files: nothing checked.
      {"empty", "", "empty: チェックできる分割ファイルがありません\n"},
      {"others/ data.d01 data.d02 data.d03", "data.d01: 3 of 3 pieces, complete\n",
       "others/: チェックできる分割ファイルがありません\n"},
  };
  std::filesystem::create_directories(dir / "empty");
  std::filesystem::create_directories(dir / "others");
  WriteFileBytes(dir / "others/note.txt", {1, 2, 3});
  for (const auto& c : cases) {
    const Result r = Run(std::string("check ") + c.paths);
    EXPECT_EQ(r.status, 1) << c.paths;
    EXPECT_TRUE(Contains(r.out, c.out)) << r.out;
    EXPECT_EQ(r.err, c.err);
  }
}

// A Type3 series of `source` (10,000 bytes) fitted to media with 4,000,
// 2,000 and 3,000 bytes free, then a larger one: four pieces of unequal
// lengths, each with the header, body and trailer the typed divide writes.
void WriteFitSeries(const std::string& folder, const std::vector<std::uint8_t>& source,
                    std::uint16_t seriesId, const std::string& recordedName = "data.bin") {
  std::filesystem::create_directories(folder);
  const std::int64_t pieceLengths[] = {3997, 1997, 2997, 1084};
  std::size_t from = 0;
  for (int number = 1; number <= 4; ++number) {
    const std::int64_t pieceLength = pieceLengths[number - 1];
    auto piece = number == 1 ? BuildType3FirstHeader(10000, pieceLength, seriesId, recordedName,
                                                     2004, 0x12345)
                             : BuildType3NextHeader(pieceLength, seriesId, number);
    const std::size_t body = static_cast<std::size_t>(pieceLength) - piece.size();
    const std::uint16_t crc = Crc16Of(source.data() + from, body);
    piece.insert(piece.end(), source.begin() + static_cast<std::ptrdiff_t>(from),
                 source.begin() + static_cast<std::ptrdiff_t>(from + body));
    piece.insert(piece.end(),
                 {static_cast<std::uint8_t>(crc & 0xFF), static_cast<std::uint8_t>(crc >> 8), 0});
    WriteFileBytes(folder + "/fit.d0" + std::to_string(number), piece);
    from += body;
  }
}

// The series line adds up the bodies the pieces' own headers give, so a
// series of unequal pieces is complete only with every one of them, and a
// piece of another series (or with another number) under the right name
// does not count.
TEST_F(Cli, SeriesLineWalksPiecesOfUnequalLengths) {
  MakeSource("data.bin", 10000);
  WriteFitSeries(dir / "fit", source, 0x1234);
  WriteFitSeries(dir / "other", source, 0x4321);
  // "表.txt" recorded on Japanese Windows: its second byte is a "\\".
  WriteFitSeries(dir / "cp932", source, 0x1234, "\x95\x5C.txt");
  std::filesystem::create_directories(dir / "mixed");
  for (const char* name : {"fit.d01", "fit.d02", "fit.d03"}) {
    std::filesystem::copy_file(dir / (std::string("fit/") + name),
                               dir / (std::string("mixed/") + name));
  }
  std::filesystem::copy_file(dir / "other/fit.d04", dir / "mixed/fit.d04");
  std::filesystem::copy_file(dir / "fit/fit.d03", dir / "mixed/fit.d05");
  // A following piece whose header claims the largest piece length.
  std::filesystem::create_directories(dir / "huge");
  std::filesystem::copy_file(dir / "fit/fit.d01", dir / "huge/fit.d01");
  WriteFileBytes(dir / "huge/fit.d02",
                 {'-',  'Q',  'X',  '3',  '-',  0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF,
                  0xFF, 0xFF, 0x34, 0x12, 0x02, 0x00, 'b',  'o',  'd',  'y'});
  const struct {
    const char* paths;
    const char* line;
    int status;
  } cases[] = {
      {"fit", "fit/fit.d01: 4 of 4 pieces, complete\n", 0},
      {"cp932", "cp932/fit.d01: 4 of 4 pieces, complete\n", 0},
      {"fit/fit.d01 fit/fit.d02 fit/fit.d04", "fit/fit.d01: 3 of at least 4 pieces, incomplete\n",
       1},
      {"fit/fit.d01 fit/fit.d02 fit/fit.d03", "fit/fit.d01: 3 of at least 4 pieces, incomplete\n",
       1},
      {"fit/fit.d01 fit/fit.d03", "fit/fit.d01: 2 of at least 3 pieces, incomplete\n", 1},
      {"mixed", "mixed/fit.d01: 3 of at least 4 pieces, incomplete\n", 1},
      // Its length is no more trusted than its body: it covers nothing.
      {"huge", "huge/fit.d01: 1 of at least 2 pieces, 1 damaged, incomplete\n", 1},
  };
  for (const auto& c : cases) {
    const Result r = Run(std::string("check ") + c.paths);
    EXPECT_EQ(r.status, c.status) << c.paths;
    EXPECT_TRUE(Contains(r.out, c.line)) << r.out;
  }
  // The pieces are a series the restore takes whole.
  ASSERT_EQ(Run("restore fit/fit.d01 -o " + dir / "back.bin").status, 0);
  EXPECT_EQ(ReadFileBytes(dir / "back.bin"), source);
}

}  // namespace
}  // namespace kv::test

namespace kv::test {
namespace {

// A restore allowed to replace an existing file writes beside it: a restore
// that ends short keeps the old file and names the partial output; one that
// ends restored takes the old file's place.
TEST_F(Cli, ARestoreThatEndsShortKeepsTheFileItWasAllowedToReplace) {
  const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
  struct Case {
    const char* divide;
    const char* first;
    const char* removed;  // nullptr: a whole series
    int status;
    const char* beside;  // a partial output of an earlier case stays: the next name is taken
  };
  const Case cases[] = {
      {"-t 3", "data.d01", "data.d03", 1, "doc.bin.kvpart"},
      {"-t 0 --ext-start 1", "data.001", "data.002", 1, "doc.bin.kvpart.1"},
      {"-t 3", "data.d01", nullptr, 0, "doc.bin.kvpart.2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.beside);
    MakeSource("data.bin", 50000);
    ASSERT_EQ(Run("divide data.bin -s 20000 --overwrite " + std::string(c.divide)).status, 0);
    if (c.removed != nullptr) {
      std::filesystem::remove(dir / c.removed);
    }
    WriteFileBytes(dir / "doc.bin", old);
    const Result r = Run("restore " + std::string(c.first) + " -o doc.bin --overwrite");
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.status == 0) {
      EXPECT_EQ(ReadFileBytes(dir / "doc.bin"), source);
      EXPECT_FALSE(std::filesystem::exists(dir / c.beside));
      continue;
    }
    EXPECT_EQ(ReadFileBytes(dir / "doc.bin"), old);
    EXPECT_TRUE(
        Contains(r.err, "kept: " + dir / "doc.bin" + "\npartial output: " + dir / c.beside + "\n"))
        << r.err;
    const auto partial = ReadFileBytes(dir / c.beside);
    EXPECT_TRUE(partial.size() >= 19000 && partial.size() < source.size() &&
                std::equal(partial.begin(), partial.end(), source.begin()));
  }
}

// Two restores to one name, both allowed to replace it: neither removes the
// file the other writes, both end restored, and the name holds a whole result.
TEST_F(Cli, TwoRestoresToOneNameBothEndRestored) {
  MakeSource("data.bin", 8 << 20);
  ASSERT_EQ(Run("divide data.bin -s 1M").status, 0);
  WriteFileBytes(dir / "same.bin", {1});
  const std::string restore = StoreEnvironment() + KV_CLI_PATH +
                              " restore data.d01 -o same.bin --overwrite </dev/null >/dev/null";
  const std::string command = "cd " + dir.Path().string() + "; (" + restore +
                              " 2>.e1; echo $? >.s1) & (" + restore +
                              " 2>.e2; echo $? >.s2) & wait";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadText(dir / ".s1"), "0\n") << ReadText(dir / ".e1");
  EXPECT_EQ(ReadText(dir / ".s2"), "0\n") << ReadText(dir / ".e2");
  EXPECT_TRUE(ReadFileBytes(dir / "same.bin") == source);
}

}  // namespace
}  // namespace kv::test

namespace kv::test {
namespace {

// "-o -" restores to standard output: every type, the messages on standard
// error, a closed pipe ends the job as failed, and a stream that is one of
// the series' own pieces is refused.
TEST_F(Cli, RestoresToStandardOutput) {
  for (const char* type : {"0", "3"}) {
    SCOPED_TRACE(type);
    // More than a pipe holds, so a reader that stops early is noticed.
    MakeSource("data.bin", 1000000);
    ASSERT_EQ(Run(std::string("divide data.bin -s 400000 --overwrite -t ") + type).status, 0);
    const std::string first = type == std::string("0") ? "data.001" : "data.d01";
    Result r = Run("restore " + first + " -o -");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == std::string(source.begin(), source.end()));
    EXPECT_TRUE(Contains(r.err, "作成ファイル名 : /dev/stdout\n")) << r.err;
    EXPECT_TRUE(Contains(r.err, "復元が終了しました\n")) << r.err;

    const std::string toPipe = "cd " + dir.Path().string() + " && " + StoreEnvironment() +
                               KV_CLI_PATH " restore " + first +
                               " -o - 2>.err </dev/null | head -c 10 >/dev/null;"
                               " exit ${PIPESTATUS[0]}";
    const int raw = std::system(("bash -c '" + toPipe + "'").c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    EXPECT_TRUE(Contains(ReadText(dir / ".err"), "/dev/stdout: Broken pipe\n"));

    const std::string last = dir / (type == std::string("0") ? "data.003" : "data.d03");
    const auto lastBefore = ReadFileBytes(last);
    const std::string toPiece = "cd " + dir.Path().string() + " && " + StoreEnvironment() +
                                KV_CLI_PATH " restore " + first + " -o - >>" + last +
                                " 2>/dev/null </dev/null";
    const int refused = std::system(toPiece.c_str());
    EXPECT_EQ(WIFEXITED(refused) ? WEXITSTATUS(refused) : -1, 2);
    EXPECT_EQ(ReadFileBytes(last), lastBefore);
  }
}

}  // namespace
}  // namespace kv::test

namespace kv::test {
namespace {

// "divide -" reads a Type0 source from standard input until it ends: the
// pieces equal those of the same file divided by name, a stream that stops
// at a piece's end leaves no empty piece, an empty one none at all, and a
// slow writer's stream is cut at the same line ends.
TEST_F(Cli, DividesStandardInputIntoRawPieces) {
  WriteStore("[General]\nMajorVersion=3\nMinorVersion=12\n\n[Type0]\nTimingSize=1\n");
  std::string lines;
  for (int i = 0; i < 20000; ++i) {
    lines += std::string(static_cast<std::size_t>(i * 7919 % 150), 'x') + "\r\n";
  }
  std::ofstream(dir / "t.txt", std::ios::binary) << lines;
  MakeSource("data.bin", 900000);
  const struct {
    const char* source;
    const char* options;
    int pieces;
  } cases[] = {
      {"data.bin", "-s 300000", 3},
      {"data.bin", "-s 250000", 4},
      {"t.txt", "--type0 line -s 100000", 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " " + c.options);
    const std::string options = std::string(" -t 0 ") + c.options + " -y";
    ASSERT_EQ(Run(std::string("divide ") + c.source + options + " -o f.001").status, 0);
    // Small writes with a pause now and then: the pipe brings the bytes in uneven reads.
    const std::string slowWriter = "python3 -c \"import sys,time\nd=open('" +
                                   std::string(c.source) +
                                   "','rb').read()\nfor i in range(0,len(d),777):\n"
                                   " sys.stdout.buffer.write(d[i:i+777]);sys.stdout.flush()\n"
                                   " if i%77700==0: time.sleep(0.01)\"";
    const std::string command = "cd " + dir.Path().string() + " && " + slowWriter + " | " +
                                StoreEnvironment() + KV_CLI_PATH " divide -" + options +
                                " -o p.001 >.out 2>.err";
    const Result r = Finish(std::system(command.c_str()));
    ASSERT_EQ(r.status, 0) << r.err;
    for (int n = 1; n <= c.pieces + 1; ++n) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, ".%03d", n);
      const bool expected = n <= c.pieces;
      ASSERT_EQ(std::filesystem::exists(dir / ("f" + std::string(suffix))), expected) << n;
      ASSERT_EQ(std::filesystem::exists(dir / ("p" + std::string(suffix))), expected) << n;
      if (expected) {
        EXPECT_EQ(ReadFileBytes(dir / ("p" + std::string(suffix))),
                  ReadFileBytes(dir / ("f" + std::string(suffix))))
            << n;
      }
    }
  }

  Result r = Run("divide - -t 0 -s 300000 -o e.001");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "/dev/stdin: No data available\n")) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "e.001"));

  const struct {
    const char* options;
    const char* refusal;
  } refusals[] = {
      {"-t 3 -s 300000 -o e.d01",
       "divide -: standard input is divided into Type0 pieces only (-t 0): the other types "
       "record the source's size in their first piece\n"},
      {"-t 0 -s 300000", "divide -: name the first piece with -o\n"},
      {"-t 0 -s 300000 --resume -o e.001",
       "divide -: a divide of standard input cannot go on from an earlier run\n"},
  };
  for (const auto& c : refusals) {
    r = Run(std::string("divide - ") + c.options + "");
    EXPECT_EQ(r.status, 2) << c.options;
    EXPECT_EQ(r.err, c.refusal);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "e.001"));
  EXPECT_FALSE(std::filesystem::exists(dir / "e.d01"));
}

}  // namespace
}  // namespace kv::test
