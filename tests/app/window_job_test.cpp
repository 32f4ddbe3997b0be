// Jobs driven through the window end to end, and pictures of the window for a person.

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <filesystem>

#include "app/capacity_shortage_dlg.h"
#include "plan/real_workers.h"
#include "tests/app/window_fixture.h"

namespace kv::test {
namespace {

namespace fs = std::filesystem;

class WindowJobTest : public WindowFixture {
 protected:
  bool Ended() const {
    return window_->windowTitle() == "Kolvanto 終了" && Control<QWidget>(1022)->isEnabled();
  }
  // F7, the confirmation answered Yes in the real box, then the end of the job.
  void ExecuteByKey() {
    const std::size_t asked = boxes.Seen().size();
    boxes.Answer({QMessageBox::Yes});
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_F7);
    ASSERT_TRUE(WaitFor([&] { return boxes.Seen().size() > asked && Ended(); }, 60000));
  }
};

TEST_F(WindowJobTest, ADivideAndARestoreMatchTheCommandLine) {
  fs::create_directories(dir.Path() / "window");
  fs::create_directories(dir.Path() / "cli");
  const std::string source = dir / "window/report.doc";
  const std::vector<std::uint8_t> original = RandomBytes(3000000, 7);
  WriteFileBytes(source, original);
  worker = RunRealWorker;

  Open(source);
  ExecuteByKey();
  EXPECT_EQ(Text(1020), "分割が終了しました");
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0],
            "Kolvanto  実行確認|以下の条件で分割します\n元のファイル名 : " + source +
                "\n作成ファイル名 : " + (dir / "window/report.d01") + "\n分割タイプ : 3");

  QProcess cli;
  cli.setStandardInputFile(QProcess::nullDevice());
  cli.start(QStringLiteral(KV_CLI_PATH),
            {"divide", QString::fromStdString(source), "-o",
             QString::fromStdString(dir / "cli/report.d01"), "-y", "--defaults"});
  ASSERT_TRUE(cli.waitForFinished(60000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  for (const char* piece : {"report.d01", "report.d02", "report.d03"}) {
    EXPECT_EQ(ReadFileBytes(dir / (std::string("window/") + piece)),
              ReadFileBytes(dir / (std::string("cli/") + piece)))
        << piece;
  }
  EXPECT_FALSE(fs::exists(dir / "window/report.d04"));

  fs::remove(source);
  Control<QComboBox>(1000)->setEditText(QString::fromStdString(dir / "window/report.d01"));
  job.SourceChanged = 1;
  ExecuteByKey();
  EXPECT_EQ(Text(1020), "復元が終了しました");
  EXPECT_EQ(ReadFileBytes(source), original);
}

TEST_F(WindowJobTest, ADivideWithRecoveryNamesItsRecoveryFilesAtTheEnd) {
  {
    QSettings stored(store->FileName(), QSettings::IniFormat);
    stored.setValue("Settings/Recovery", 1);
    stored.setValue("Settings/RecoveryPieces", 2);
    stored.setValue("Settings/EndMessage", 1);
  }
  const std::string source = dir / "report.doc";
  WriteFileBytes(source, RandomBytes(3000000, 3));
  worker = RunRealWorker;
  Open(source);
  EXPECT_EQ(Text(1020),
            "3,000,000Bytes 1.44MBフロッピーが 3枚必要です\n"
            "修復データ： 2個までのファイルを作り直せます（約2,915,328Bytes）");
  boxes.Answer({QMessageBox::Yes, QMessageBox::Ok});
  QTest::keyClick(window_.get(), Qt::Key_F7);
  ASSERT_TRUE(WaitFor([&] { return boxes.Seen().size() == 2 && Ended(); }, 60000));
  const std::string written = "分割が終了しました\n修復データを作成しました：\n" +
                              (dir / "report.par2") + "\n" + (dir / "report.vol0+1.par2") + "\n" +
                              (dir / "report.vol1+1.par2");
  EXPECT_EQ(boxes.Seen()[1], "Kolvanto  終了確認|" + written);
  EXPECT_EQ(Text(1020), written);
  for (const char* name : {"report.par2", "report.vol0+1.par2", "report.vol1+1.par2"}) {
    EXPECT_GT(fs::file_size(dir / name), 0u) << name;
  }
}

TEST_F(WindowJobTest, ARestoreAsksToRebuildAMissingPieceFromTheRecoveryData) {
  const std::string source = dir / "report.doc";
  const std::vector<std::uint8_t> original = RandomBytes(3000000, 5);
  WriteFileBytes(source, original);
  QProcess cli;
  cli.setStandardInputFile(QProcess::nullDevice());
  cli.start(QStringLiteral(KV_CLI_PATH),
            {"divide", QString::fromStdString(source), "-y", "--defaults", "--recovery", "1"});
  ASSERT_TRUE(cli.waitForFinished(60000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  fs::remove(source);
  fs::remove(dir / "report.d02");
  worker = RunRealWorker;
  Open(dir / "report.d01");
  boxes.Answer({QMessageBox::Yes, QMessageBox::Yes});
  QTest::keyClick(window_.get(), Qt::Key_F7);
  ASSERT_TRUE(WaitFor([&] { return boxes.Seen().size() == 2 && Ended(); }, 60000));
  EXPECT_EQ(boxes.Seen()[1], "Kolvanto 復元確認|修復データから report.d02 を作り直しますか？");
  EXPECT_EQ(Text(1020), "復元が終了しました\n修復データから作り直したファイル：\nreport.d02");
  EXPECT_EQ(ReadFileBytes(source), original);
}

TEST_F(WindowJobTest, PicturesOfTheIdleAndTheBusyWindow) {
  UseStubData({"Windows用", "Linux用"});
  WriteFileBytes(dir / "report.doc", RandomBytes(3000000, 9));
  HeldWorker held;
  worker = std::ref(held);
  Open(dir / "report.doc");
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  const QString folder = QStringLiteral(KV_TEST_OUTPUT_DIR);
  EXPECT_TRUE(window_->grab().save(folder + "/main_window_idle.png"));
  for (int i : {0, 1}) {
    auto* menu = window_->findChild<QMenu*>(QStringLiteral("menu%1").arg(i));
    menu->popup(window_->mapToGlobal(QPoint(0, 0)));
    EXPECT_TRUE(menu->grab().save(folder + QStringLiteral("/menu%1.png").arg(i)));
    menu->hide();
  }
  boxes.Answer({QMessageBox::Yes});
  QTest::keyClick(window_.get(), Qt::Key_F7);
  ASSERT_TRUE(WaitFor([&] { return Text(1026) == "1,024Bytes"; }));
  EXPECT_TRUE(window_->grab().save(folder + "/main_window_busy.png"));
  held.release = true;
  ASSERT_TRUE(WaitFor([&] { return Ended(); }));

  CCapacityShortageDlg shortage({"必要容量： 1,457,664Bytes", "空き容量： 1,024Bytes", "/m/a.d02"},
                                shell, window_.get());
  EXPECT_TRUE(shortage.grab().save(folder + "/capacity_shortage.png"));
  Action(57666)->trigger();
  QWidget* help = window_->findChild<QWidget*>("helpWindow");
  EXPECT_TRUE(help->grab().save(folder + "/help_window.png"));
}

}  // namespace
}  // namespace kv::test
