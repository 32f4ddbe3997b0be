// Execute's refusals, questions and the self-restore commands, up to the point where a job would
// start.

#include <filesystem>

#include "plan_fixture.h"

namespace kv::test {
namespace {

class ExecuteRefusals : public PlanFixture {
 protected:
  void SetUp() override {
    WriteSized(dir / "a.bin", 3000000);
    Choose(dir / "a.bin");
  }
  Message OnlyMessage() {
    EXPECT_EQ(prompter.Messages().size(), 1u);
    return prompter.Messages().empty() ? Message{} : prompter.Messages().back();
  }
};

TEST_F(ExecuteRefusals, DestinationMustBeAbsolute) {
  for (const char* dest : {"a.d01", "", "C:\\a.d01"}) {
    planner.Texts().destination = dest;
    planner.Execute();
  }
  ASSERT_EQ(prompter.Messages().size(), 3u);
  const Message m = prompter.Messages()[0];
  EXPECT_EQ(m.text, "元のファイル名 及び 作成ファイル名を正しく指定してください");
  EXPECT_EQ(m.caption, "Kolvanto");
  EXPECT_EQ(m.icon, Icon::kWarning);
  EXPECT_EQ(job.RunState.load(), kRunIdle);
  EXPECT_TRUE(view.recent.empty());
}

TEST_F(ExecuteRefusals, UnusableSourceIsRefused) {
  Choose(dir / "missing.bin");
  planner.Texts().destination = dir / "x.d01";
  planner.Execute();
  EXPECT_EQ(OnlyMessage().text, "元のファイル名 及び 作成ファイル名を正しく指定してください");
}

TEST_F(ExecuteRefusals, SameFileByLink) {
  std::filesystem::create_symlink(dir / "a.bin", dir / "link.d01");
  planner.Texts().source = dir / "a.bin";
  planner.Texts().destination = dir / "link.d01";
  planner.Execute();
  EXPECT_EQ(OnlyMessage().text,
            "元のファイルと作成ファイルが同一です。作成ファイル名を変更してください");
  EXPECT_EQ(OnlyMessage().caption, "Kolvanto");
}

TEST_F(ExecuteRefusals, SameNameIgnoringCase) {
  WriteFileBytes(dir / "Q.D01", std::vector<std::uint8_t>{'A', 'B', 'C', '.', 'T', 'X', 'T', ' ',
                                                          ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                                          ' ', ' ', ' ', ' ', ' ', '9', '9', ' '});
  Choose(dir / "Q.D01");
  ASSERT_EQ(job.SourceUsable, 1);
  planner.Texts().destination = dir / "q.d01";
  planner.Execute();
  EXPECT_EQ(OnlyMessage().text,
            "元のファイルと作成ファイルが同一です。作成ファイル名を変更してください");
}

TEST_F(ExecuteRefusals, DecliningTheConfirmationStartsNothing) {
  prompter.Script({Answer::kNo});
  planner.Execute();
  const Message m = OnlyMessage();
  EXPECT_EQ(m.text, "以下の条件で分割します\n元のファイル名 : " + dir / "a.bin" +
                        "\n作成ファイル名 : " + dir / "a.d01" + "\n分割タイプ : 3");
  EXPECT_EQ(m.caption, "Kolvanto  実行確認");
  EXPECT_EQ(m.icon, Icon::kQuestion);
  EXPECT_EQ(m.buttons, Buttons::kYesNo);
  EXPECT_TRUE(view.recent.empty());
  EXPECT_FALSE(planner.JobActive());
}

TEST_F(ExecuteRefusals, DecliningOverwriteKeepsTheFileButRecordsTheSource) {
  WriteSized(dir / "a.d01", 7);
  prompter.Script({Answer::kYes, Answer::kNo});
  planner.Execute();
  ASSERT_EQ(prompter.Messages().size(), 2u);
  const Message m = prompter.Messages()[1];
  EXPECT_EQ(m.text, dir / "a.d01" + " は\nすでに存在しますが、上書きしてもよろしいですか");
  EXPECT_EQ(m.caption, "Kolvanto  上書き確認");
  EXPECT_EQ(m.icon, Icon::kQuestion);
  EXPECT_EQ(ReadFileBytes(dir / "a.d01").size(), 7u);
  EXPECT_EQ(view.recent, std::vector<std::string>{dir / "a.bin"});
  EXPECT_FALSE(planner.JobActive());
}

TEST_F(ExecuteRefusals, RestoreConfirmationCarriesTheHeadCut) {
  WriteSized(dir / "data.001", 300);
  Choose(dir / "data.001");
  settings.HeadCut = true;
  settings.HeadCutFirst = 1000;
  settings.HeadCutNext = 20;
  prompter.Script({Answer::kNo});
  planner.Execute();
  EXPECT_EQ(OnlyMessage().text, "以下の条件で復元します\n元のファイル名 : " + dir / "data.001" +
                                    "\n作成ファイル名 : " + dir / "data." +
                                    "\n分割タイプ : 0\r\n先頭カット : 最初のファイル 1,000Byte  "
                                    "以降のファイル 20Byte");
}

TEST_F(ExecuteRefusals, SelfRestoreCommands) {
  // No stub data file.
  planner.CreateSelfRestoring();
  EXPECT_EQ(OnlyMessage().text, "Kolvanto.datがありません");

  LoadStubs(2, {{"WIN32", std::vector<std::uint8_t>(100, 1)}});
  settings.RestoreNo = 3;
  planner.CreateSelfRestoring();
  EXPECT_EQ(prompter.Messages().back().text, "自己復元の種類を設定してください");
  EXPECT_EQ(prompter.Messages().back().icon, Icon::kWarning);

  // With the check box set, Execute turns into the command once.
  settings.SelfRestore = true;
  planner.Execute();
  EXPECT_EQ(view.posts, 1);
  EXPECT_EQ(planner.ExecuteArmed(), 0);
  planner.CreateSelfRestoring();
  EXPECT_EQ(prompter.Messages().back().text, "自己復元の種類を設定してください");
  prompter.Script({Answer::kNo});
  planner.Execute();
  EXPECT_EQ(view.posts, 1);
  EXPECT_EQ(prompter.Messages().back().caption, "Kolvanto  実行確認");
  EXPECT_EQ(prompter.Messages().back().text.rfind("以下の条件で分割します", 0), 0u);
}

TEST_F(ExecuteRefusals, DecliningASelfRestoreJobPutsTheTypeBack) {
  settings.DivideType = 0;
  LoadStubs(2, {{"WIN32", std::vector<std::uint8_t>(100, 1)}});
  prompter.Script({Answer::kNo});
  planner.CreateSelfRestoringKind(0);
  EXPECT_EQ(OnlyMessage().text,
            "以下の条件で自己復元型分割ファイルを作成します\n元のファイル名 : " + dir / "a.bin" +
                "\n作成ファイル名 : " + dir / "a.exe" + "\nファイルの種類 : WIN32");
  EXPECT_EQ(settings.DivideType, 0);
  EXPECT_EQ(job.SelfRestoreJob, 0);
}

TEST_F(ExecuteRefusals, SelfRestoreOfAPieceSeries) {
  WriteSized(dir / "data.001", 300);
  Choose(dir / "data.001");
  LoadStubs(1, {{"WIN32", std::vector<std::uint8_t>(100, 1)}});
  planner.CreateSelfRestoringKind(0);
  EXPECT_EQ(OnlyMessage().text, "このファイルは分割できません");
  EXPECT_EQ(OnlyMessage().caption, "Kolvanto自己復元");
  EXPECT_EQ(settings.DivideType, 3);
}

TEST_F(ExecuteRefusals, DosKindsStopAt2GB) {
  LoadStubs(2, {{"MS-DOS", std::vector<std::uint8_t>(100, 1)},
                {"Win DOS", std::vector<std::uint8_t>(100, 1)}});
  const std::string big = dir / "big.bin";
  WriteSized(big, 0);
  std::filesystem::resize_file(big, 3000000000LL);
  Choose(big);
  prompter.SetFallback(Answer::kNo);
  planner.CreateSelfRestoringKind(0);
  EXPECT_EQ(prompter.Messages().back().text,
            "MS-DOS用の自己復元型分割ファイルでは、2GBを超えるファイルは分割できません。");
  planner.CreateSelfRestoringKind(1);
  EXPECT_EQ(prompter.Messages().back().caption, "Kolvanto  実行確認");
  std::filesystem::resize_file(big, 2147483647LL);
  planner.CreateSelfRestoringKind(0);
  EXPECT_EQ(prompter.Messages().back().caption, "Kolvanto  実行確認");
  EXPECT_EQ(prompter.Messages().size(), 3u);
}

}  // namespace
}  // namespace kv::test
