#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "bench/bench_steps.h"
#include "bench/child_process.h"
#include "bench/recovery_steps.h"
#include "bench/reference_passes.h"
#include "tests/support/temp_dir.h"

namespace kv::bench {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ChildProcess, ReportsExitStatusAndRoutesTheStreams) {
  struct Case {
    std::vector<std::string> argv;
    bool started;
    int exitStatus;
    std::string out;
    std::string log;
  };
  const Case cases[] = {
      {{"sh", "-c", "printf abc"}, true, 0, "abc", ""},
      {{"sh", "-c", "echo oops >&2; exit 3"}, true, 3, "", "oops\n"},
      {{"sh", "-c", "read line || echo empty"}, true, 0, "empty\n", ""},
      {{"sh", "-c", "kill -9 $$"}, true, -1, "", ""},
      {{"/nonexistent/program"}, false, -1, "", ""},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    const ChildRun run = RunChild(c.argv, dir / "out", dir / "log");
    EXPECT_EQ(run.started, c.started) << c.argv.back();
    EXPECT_EQ(run.exitStatus, c.exitStatus) << c.argv.back();
    if (c.started) {
      EXPECT_EQ(ReadText(dir / "out"), c.out) << c.argv.back();
      EXPECT_EQ(ReadText(dir / "log"), c.log) << c.argv.back();
    }
  }
}

TEST(ChildProcess, WithoutAnOutputFileStandardOutputJoinsTheLog) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "log", {'a', '\n'});
  const ChildRun run = RunChild({"sh", "-c", "echo out; echo err >&2"}, "", dir / "log");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(ReadText(dir / "log"), "a\nout\nerr\n");
}

TEST(ReferencePasses, KernelCopyMakesTheSameBytesAndNeverOverwrites) {
  test::TempDir dir;
  const auto bytes = test::RandomBytes((3 << 20) + 7, 3);
  test::WriteFileBytes(dir / "source", bytes);
  ASSERT_TRUE(KernelCopy(dir / "source", dir / "copy"));
  EXPECT_EQ(test::ReadFileBytes(dir / "copy"), bytes);
  EXPECT_TRUE(SameBytes(dir / "source", dir / "copy"));

  test::WriteFileBytes(dir / "kept", {1, 2, 3});
  EXPECT_FALSE(KernelCopy(dir / "source", dir / "kept"));
  EXPECT_EQ(test::ReadFileBytes(dir / "kept"), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_FALSE(KernelCopy(dir / "missing", dir / "other"));
  EXPECT_FALSE(std::filesystem::exists(dir / "other"));
}

TEST(ReferencePasses, SameBytesAndReadPassSeeEveryDifferenceAndFailure) {
  test::TempDir dir;
  auto bytes = test::RandomBytes((2 << 20) + 5, 4);
  test::WriteFileBytes(dir / "a", bytes);
  bytes.back() ^= 1;
  test::WriteFileBytes(dir / "last byte differs", bytes);
  bytes.pop_back();
  test::WriteFileBytes(dir / "shorter", bytes);
  EXPECT_FALSE(SameBytes(dir / "a", dir / "last byte differs"));
  EXPECT_FALSE(SameBytes(dir / "a", dir / "shorter"));
  EXPECT_FALSE(SameBytes(dir / "a", dir / "missing"));
  EXPECT_TRUE(ReadOnlyPass({dir / "a", dir / "shorter"}));
  EXPECT_FALSE(ReadOnlyPass({dir / "a", dir / "missing"}));
}

TEST(ReferencePasses, FilesInListsTheRegularFilesInSeriesOrder) {
  test::TempDir dir;
  for (const char* name : {"source.d100", "source.d10", "source.d02", "source.d01", "source.d99"}) {
    test::WriteFileBytes(dir / name, {0});
  }
  std::filesystem::create_directory(dir / "source.d00");
  EXPECT_EQ(FilesIn(dir.Path().string()),
            (std::vector<std::string>{dir / "source.d01", dir / "source.d02", dir / "source.d10",
                                      dir / "source.d99", dir / "source.d100"}));
}

TEST(BenchSteps, LargePiecesKeepTheirShareOfASmallerSource) {
  const std::pair<long, std::vector<std::string>> cases[] = {
      {4096, {"300M", "1M"}}, {1024, {"300M", "1M"}}, {512, {"150M", "1M"}},
      {16, {"4M", "1M"}},     {3, {"1M", "1M"}},
  };
  for (const auto& [sizeMiB, expected] : cases) {
    EXPECT_EQ(PieceSizes(sizeMiB), expected) << sizeMiB;
  }
}

TEST(BenchReport, MediansAndRatiosBesideThePeersAndTheLimit) {
  const std::map<std::string, std::vector<double>> times = {
      {"Type0 divide 4M", {0.3, 0.1, 0.2}}, {"split -b 4M", {0.3, 0.5, 0.6, 0.2}},
      {"copy_file_range", {0.1}},           {"Type3 check 4M", {0.5, 0.5}},
      {"read Type3 4M", {0.25, 0.75, 0.2}}, {"read source", {0.05}},
      {"cat >null Type3 4M", {0.4}},
  };
  const std::string table = JobTable(times, {"4M"});
  const std::string expected =
      "kolvanto-cli job          time   peer                    time  ratio   limit                "
      " "
      "time  ratio\n"
      "Type0 divide 4M        0.200 s   split -b 4M          0.400 s   0.50   copy_file_range    "
      "0.100 s   2.00\n"
      "Type3 divide 4M        0.000 s   split -b 4M          0.400 s   0.00   copy_file_range    "
      "0.100 s   0.00\n"
      "Type0 restore 4M       0.000 s   cat Type0 4M         0.000 s   0.00   copy_file_range    "
      "0.100 s   0.00\n"
      "Type3 restore 4M       0.000 s   cat Type3 4M         0.000 s   0.00   copy_file_range    "
      "0.100 s   0.00\n"
      "Type3 check 4M         0.500 s   cat >null Type3 4M   0.400 s   1.25   read Type3 4M      "
      "0.250 s   2.00\n"
      "read source            0.050 s\n";
  EXPECT_EQ(table, expected);
}

TEST(BenchRecovery, PiecesShrinkToFitASmallerSource) {
  const std::pair<long long, std::vector<long long>> cases[] = {
      {1LL << 30, {10485760, 2097152}},
      {100LL << 20, {5242880, 1048576}},
      {1001, {48, 8}},
  };
  for (const auto& [sourceBytes, expected] : cases) {
    const std::vector<RecoveryCase> made = RecoveryCases(sourceBytes);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0].pieceBytes, expected[0]) << sourceBytes;
    EXPECT_EQ(made[1].pieceBytes, expected[1]) << sourceBytes;
  }
}

TEST(BenchReport, RecoveryJobsBesidePar2) {
  const std::map<std::string, std::vector<double>> times = {
      {"ours a", {0.2, 0.1, 0.3}}, {"par2 a", {1.0, 1.2}}, {"ours b", {0.5}}};
  const std::string expected =
      "kolvanto-cli                          time   par2                              time   "
      "faster\n"
      "ours a                             0.200 s   par2 a                         1.100 s    "
      "5.50x\n"
      "ours b                             0.500 s   par2 b                         0.000 s    "
      "0.00x\n";
  EXPECT_EQ(RecoveryTable(times, {{"ours a", "par2 a"}, {"ours b", "par2 b"}}), expected);
}

TEST(BenchReport, DividesWithRecoveryBesideThoseWithout) {
  const std::map<std::string, std::vector<double>> times = {{"with", {0.3, 0.2, 0.25}},
                                                            {"without", {0.1}}};
  const std::string expected =
      "kolvanto-cli                          time   without recovery                  time   "
      "longer\n"
      "with                               0.250 s   without                        0.100 s    "
      "2.50x\n";
  EXPECT_EQ(DivideRecoveryTable(times, {{"with", "without"}}), expected);
}

}  // namespace
}  // namespace kv::bench
