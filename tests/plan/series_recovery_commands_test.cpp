// The window's recovery commands without widgets: what they refuse, and a
// stop that leaves nothing behind.

#include "plan/series_recovery_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "recovery/protect_series.h"
#include "tests/faults/faulty_system_calls.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

namespace fs = std::filesystem;

struct CommandCase {
  const char* name;
  bool protectFirst;  // recovery for one piece written before the command
  bool repair;        // else protect
  const char* path;
  std::uint32_t recoverable;
  bool stop;
  const char* text;  // "@" stands for the folder
};

class SeriesRecoveryCommandTest : public ::testing::TestWithParam<CommandCase> {
 protected:
  SeriesRecoveryCommandTest() {
    for (const char* piece : {"data.001", "data.002", "data.003"}) {
      WriteFileBytes(dir / piece, RandomBytes(5000, static_cast<std::uint32_t>(piece[7])));
    }
  }
  TempDir dir;
};

TEST_P(SeriesRecoveryCommandTest, SaysWhyNothingWasDone) {
  const CommandCase& c = GetParam();
  if (c.protectFirst) {
    ASSERT_TRUE(par2::ProtectSeries(dir / "data.001", 1).written.done);
    fs::remove(dir / "data.002");
  }
  ScriptedPrompter prompter;
  prompter.SetFallback(Answer::kYes);
  const auto stop = [&c] { return c.stop; };
  const RecoveryCommandEnd end = c.repair ? RepairSeriesCommand(dir / c.path, prompter, stop)
                                          : ProtectSeriesCommand(dir / c.path, c.recoverable, stop);
  std::string text = c.text;
  if (const std::size_t at = text.find('@'); at != std::string::npos) {
    text.replace(at, 1, dir.Path().string());
  }
  EXPECT_EQ(end.text.substr(0, text.size()), text) << end.text;
  EXPECT_FALSE(end.done);
  EXPECT_TRUE(prompter.Transcript().empty());
  EXPECT_EQ(fs::exists(dir / "data.par2"), c.protectFirst);
  EXPECT_EQ(fs::exists(dir / "data.002"), !c.protectFirst);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SeriesRecoveryCommandTest,
    ::testing::Values(
        CommandCase{"ProtectStopped", false, false, "data.001", 1, true,
                    "修復データは作成できませんでした\r\n@/data.par2: "},
        CommandCase{"ProtectTooMuch", false, false, "data.001", 4, false,
                    "作り直せるファイルの数が分割ファイルの数を超えています。"},
        CommandCase{"RepairNeitherPieceNorSet", false, true, "notes.txt", 0, false,
                    "修復できません。\r\n最初の分割ファイルか .par2 ファイルを指定してください。"},
        CommandCase{"RepairWithoutRecoveryData", false, true, "data.001", 0, false,
                    "使える修復データが見つかりません。"},
        CommandCase{"RepairStopped", true, true, "data.001", 0, true,
                    "修復を中止しました。ファイルは作り直していません。"}),
    [](const auto& test) { return std::string(test.param.name); });

// A rebuilt piece that cannot take its name fails the repair, but the box
// still says which piece is already back and where the damaged one went.
TEST(SeriesRecoveryCommand, AFailedRepairStillSaysWhatItDid) {
  TempDir dir;
  for (const char* piece : {"data.001", "data.002", "data.003"}) {
    WriteFileBytes(dir / piece, RandomBytes(5000, static_cast<std::uint32_t>(piece[7])));
  }
  ASSERT_TRUE(par2::ProtectSeries(dir / "data.001", 2).written.done);
  fs::remove(dir / "data.001");
  std::ofstream(dir / "data.003", std::ios::app) << "x";
  FaultySystemCalls calls({.target = "data.003", .renameFails = EIO});
  const ScopedSystemCalls inPlace(calls);
  ScriptedPrompter prompter;
  prompter.SetFallback(Answer::kYes);
  const RecoveryCommandEnd end =
      RepairSeriesCommand(dir / "data.001", prompter, [] { return false; });
  const std::string folder = dir.Path().string();
  EXPECT_EQ(end.text, "修復できませんでした。\r\n" + folder + "/data.003: Input/output error\r\n" +
                          "次のファイルを作り直しました：\r\n" + folder + "/data.001\r\n" +
                          "壊れていたファイルは次の名前で残しました：\r\n" + folder +
                          "/data.003.1");
  EXPECT_FALSE(end.done);
  EXPECT_TRUE(fs::exists(dir / "data.001"));
}

}  // namespace
}  // namespace kv::test
