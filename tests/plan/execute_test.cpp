// Execute's refusals, questions and the self-restore commands, up to the point where a job would
// start.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>

#include "core/typed_header_builder.h"
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

// A restore's output may be no piece it will read: by name in any case, or by a link to one.
TEST_F(ExecuteRefusals, RestoreOverAnyPieceOfItsOwnSeries) {
  for (const char* piece : {"data.001", "data.002", "data.003"}) {
    WriteSized(dir / piece, 300);
  }
  auto typed = BuildType1Header("ABC.TXT", 12345);
  typed.resize(2000, 0x20);
  WriteFileBytes(dir / "a.d01", typed);
  WriteSized(dir / "a.d02", 300);
  std::filesystem::create_symlink(dir / "data.002", dir / "out.bin");
  // Behind a gap: piece 4 is missing, piece 5 is there under another name too.
  WriteSized(dir / "data.005", 300);
  std::filesystem::create_symlink(dir / "data.005", dir / "out5.bin");
  struct Case {
    const char* first;
    const char* dest;
    bool refused;
  };
  // Every name the series would use is refused, whether its piece exists or not.
  const Case cases[] = {
      {"data.001", "data.003", true},  {"data.001", "DATA.002", true},
      {"data.001", "out.bin", true},   {"a.d01", "a.d02", true},
      {"a.d01", "A.D02", true},        {"data.001", "data.004", true},
      {"data.001", "out5.bin", true},  {"data.001", "data.1000", true},
      {"a.d01", "a.d03", true},        {"a.d01", "a.d250", true},
      {"data.001", "data.000", false}, {"data.001", "other.004", false},
      {"a.d01", "a.d02x", false},      {"a.d01", "a.bin", false},
  };
  prompter.SetFallback(Answer::kNo);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dest);
    Choose(dir / c.first);
    ASSERT_EQ(job.SourceUsable, 1);
    planner.Texts().destination = dir / c.dest;
    planner.Execute();
    const Message m = prompter.Messages().back();
    EXPECT_EQ(m.text == "元のファイルと作成ファイルが同一です。作成ファイル名を変更してください",
              c.refused);
    EXPECT_EQ(m.caption, c.refused ? "Kolvanto" : "Kolvanto  実行確認");
    EXPECT_EQ(m.icon, c.refused ? Icon::kWarning : Icon::kQuestion);
    EXPECT_FALSE(planner.JobActive());
  }
  EXPECT_EQ(ReadFileBytes(dir / "data.002").size(), 300u);
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

TEST_F(ExecuteRefusals, RecoveryToRemovableMediaIsAskedAboutOnlyWhenFittedToFreeSpace) {
  settings.Recovery = true;
  settings.RemovableDrive = dir.Path().string();
  planner.Texts().sizeText = "空き容量にあわせる";
  prompter.Script({Answer::kNo});
  planner.Execute();
  const Message m = OnlyMessage();
  EXPECT_EQ(m.text,
            "分割先は取り外しできるメディアのため、修復データは作成しません。\r\n"
            "分割ファイルを固定ドライブにそろえてから kolvanto-cli protect で作成できます。\r\n"
            "修復データなしで分割しますか？");
  EXPECT_EQ(m.buttons, Buttons::kYesNo);
  EXPECT_EQ(m.kind, MessageKind::kQuestion);
  EXPECT_FALSE(planner.JobActive());
  EXPECT_EQ(job.Outcome(), JobOutcome::kCancelled);
  // A fixed divide size, on removable media or a fixed drive, asks nothing
  // before the confirmation: the recovery data is computed while dividing.
  for (const char* removable : {dir.Path().c_str(), "/media/usb"}) {
    settings.RemovableDrive = removable;
    planner.Texts().sizeText = "1000000";
    prompter.Script({Answer::kNo});
    planner.Execute();
    EXPECT_EQ(prompter.Messages().back().caption, "Kolvanto  実行確認");
  }
  EXPECT_EQ(prompter.Messages().size(), 3u);
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

TEST_F(ExecuteRefusals, ADivideThatStoppedIsGoneOnFromOnlyWhenAgreedOnAFixedDrive) {
  WriteFileBytes(dir / "a.bin", RandomBytes(3000000, 3));
  Choose(dir / "a.bin");
  realWorker = true;
  volumes.SetFree(0xFFFFFFFF);
  prompter.Script({Answer::kYes});
  planner.Execute();
  FollowJob();
  std::filesystem::remove(dir / "a.d03");
  const std::string question =
      dir / "a.d01" + " は\n途中まで作成された分割ファイルです。続きから分割しますか？";
  const struct {
    const char* what;
    std::vector<Answer> answers;
    std::string removable;
    std::vector<std::string> captions;  // of the questions after the confirmation
    int wentOnFrom;
  } cases[] = {
      {"declined, then not overwritten",
       {Answer::kYes, Answer::kNo, Answer::kNo},
       "",
       {"Kolvanto  続行確認", "Kolvanto  上書き確認"},
       0},
      {"on a removable medium",
       {Answer::kYes, Answer::kNo},
       dir.Path().string(),
       {"Kolvanto  上書き確認"},
       0},
      {"agreed", {Answer::kYes, Answer::kYes}, "", {"Kolvanto  続行確認"}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    settings.RemovableDrive = c.removable;
    const auto before = static_cast<std::ptrdiff_t>(prompter.Messages().size());
    for (const Answer answer : c.answers) {
      prompter.Script({answer});
    }
    planner.Execute();
    FollowJob();
    const std::vector<Message> all = prompter.Messages();
    const std::vector<Message> asked(all.begin() + before, all.end());
    ASSERT_EQ(asked.size(), c.captions.size() + 1);
    for (std::size_t i = 0; i < c.captions.size(); ++i) {
      EXPECT_EQ(asked[i + 1].caption, c.captions[i]);
      EXPECT_EQ(asked[i + 1].buttons, Buttons::kYesNo);
      EXPECT_EQ(asked[i + 1].icon, Icon::kQuestion);
    }
    if (c.captions.front() == "Kolvanto  続行確認") {
      EXPECT_EQ(asked[1].text, question);
    }
    EXPECT_EQ(job.ResumedFromPiece.load(), c.wentOnFrom);
  }
  EXPECT_EQ(job.JobMessage(), "分割が終了しました");
  EXPECT_TRUE(std::filesystem::exists(dir / "a.d03"));
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
                                    "\n作成ファイル名 : " + dir / "data" +
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

// A front end that names the kind up front: the analysis proposes the program
// name, the settings (and so the check box) stay untouched, Execute keeps its plain route.
TEST_F(ExecuteRefusals, SelfRestoreIntentWithoutTheCheckBox) {
  LoadStubs(2, {{"WIN32", std::vector<std::uint8_t>(100, 1)}});
  planner.SetSelfRestoreIntent(true);
  Choose(dir / "a.bin");
  EXPECT_EQ(planner.Texts().destination, dir / "a.exe");
  EXPECT_FALSE(settings.SelfRestore);

  prompter.Script({Answer::kNo, Answer::kNo});
  planner.Execute();
  EXPECT_EQ(view.posts, 0);
  EXPECT_EQ(prompter.Messages().back().text.rfind("以下の条件で分割します", 0), 0u);
  planner.CreateSelfRestoringKind(0);
  EXPECT_NE(prompter.Messages().back().text.find("作成ファイル名 : " + dir / "a.exe"),
            std::string::npos);
  EXPECT_EQ(settings.DivideType, 3);

  planner.SetSelfRestoreIntent(false);
  Choose(dir / "a.bin");
  EXPECT_EQ(planner.Texts().destination, dir / "a.d01");
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

// Ctrl+F7 on a typed first piece: refused, and the divide type is the user's again.
TEST_F(ExecuteRefusals, SelfRestoreOfATypedSeriesIsRefusedAndPutsTheTypeBack) {
  auto piece = BuildType1Header("ABC.TXT", 12345);
  piece.resize(2000, 0x20);
  WriteFileBytes(dir / "a.d01", piece);
  Choose(dir / "a.d01");
  ASSERT_EQ(job.SourceUsable, 1);
  settings.DivideType = 0;
  settings.RestoreNo = 0;
  LoadStubs(2, {{"WIN32", std::vector<std::uint8_t>(100, 1)}});
  prompter.SetFallback(Answer::kYes);
  planner.CreateSelfRestoring();
  const Message m = OnlyMessage();
  EXPECT_EQ(m.text, "このファイルは分割できません");
  EXPECT_EQ(m.caption, "Kolvanto自己復元");
  EXPECT_EQ(m.icon, Icon::kWarning);
  EXPECT_EQ(m.buttons, Buttons::kOk);
  EXPECT_EQ(settings.DivideType, 0);
  EXPECT_EQ(job.SelfRestoreJob, 0);
  EXPECT_FALSE(planner.JobActive());

  // The same through the kind submenu, and a plain divide afterwards keeps Type0.
  planner.CreateSelfRestoringKind(0);
  EXPECT_EQ(prompter.Messages().back().text, "このファイルは分割できません");
  EXPECT_EQ(settings.DivideType, 0);
  Choose(dir / "a.bin");
  prompter.Script({Answer::kNo});
  planner.Execute();
  EXPECT_EQ(prompter.Messages().back().text,
            "以下の条件で分割します\n元のファイル名 : " + dir / "a.bin" +
                "\n作成ファイル名 : " + dir / "a.001" + "\n分割タイプ : 0");
}

TEST_F(ExecuteRefusals, SelfRestoreOfASelfRestoringPieceIsRefused) {
  auto piece = std::vector<std::uint8_t>(3000, 0x4D);
  const auto header = BuildType3FirstHeader(1000000, 300000 - 3, 0x1234, "data.bin", 2004, 0);
  piece.insert(piece.end(), header.begin(), header.end());
  piece.resize(5000, 0x11);
  WriteFileBytes(dir / "data.exe", piece);
  Choose(dir / "data.exe");
  ASSERT_EQ(job.SourceUsable, 1);
  settings.DivideType = 1;
  LoadStubs(1, {{"WIN32", std::vector<std::uint8_t>(100, 1)}});
  planner.CreateSelfRestoringKind(0);
  EXPECT_EQ(OnlyMessage().text, "このファイルは分割できません");
  EXPECT_EQ(settings.DivideType, 1);
}

// A FIFO at a name: the analysis and the overwrite check must neither block on it nor delete it.
class NotRegularFiles : public ExecuteRefusals {
 protected:
  // Runs `action` on another thread; if it blocks on the FIFO, a writer end
  // opened and closed releases it so the test ends.
  bool FinishesWithoutBlocking(const std::string& fifo, const std::function<void()>& action) {
    auto done = std::async(std::launch::async, action);
    if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) {
      return true;
    }
    while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
      const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) {
        ::close(writer);
      }
    }
    return false;
  }
};

TEST_F(NotRegularFiles, FifoSourceCannotBeOpened) {
  const std::string fifo = dir / "pipe.bin";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(FinishesWithoutBlocking(fifo, [&] { Choose(fifo); }));
  EXPECT_EQ(planner.Texts().information,
            "元のファイルは開けません\r\n存在しないか、他のソフトが使用しています。");
  EXPECT_EQ(job.SourceUsable, 0);
  EXPECT_FALSE(planner.JobActive());
}

TEST_F(NotRegularFiles, FifoOrDeviceDestinationIsNeitherOpenedNorDeleted) {
  const std::string fifo = dir / "x.d01";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  planner.Texts().destination = fifo;
  prompter.SetFallback(Answer::kYes);
  EXPECT_TRUE(FinishesWithoutBlocking(fifo, [&] { planner.Execute(); }));
  ASSERT_EQ(prompter.Messages().size(), 2u);
  const Message m = prompter.Messages()[1];
  EXPECT_EQ(m.text, "このファイルに上書きする事はできません");
  EXPECT_EQ(m.caption, "Kolvanto  上書き禁止");
  EXPECT_EQ(m.icon, Icon::kNone);
  EXPECT_EQ(m.buttons, Buttons::kOk);
  EXPECT_FALSE(planner.JobActive());
  struct stat status {};
  ASSERT_EQ(::stat(fifo.c_str(), &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));

  // A link, here to a character device, is a name like any file: asked about,
  // then the link goes and its target stays.
  std::filesystem::create_symlink("/dev/null", dir / "y.d01");
  planner.Texts().destination = dir / "y.d01";
  planner.Execute();
  EXPECT_EQ(prompter.Messages().back().text,
            dir / "y.d01" + " は\nすでに存在しますが、上書きしてもよろしいですか");
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "y.d01"));
  EXPECT_TRUE(std::filesystem::exists("/dev/null"));
  FollowJob();
  EXPECT_EQ(started.dest, dir / "y.d01");
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
