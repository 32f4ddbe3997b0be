// The main window: its menus, controls and accelerators, the busy state of a
// job and the four ways to cancel it, drops, recent files and its position.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QUrl>

#include "app/help_window.h"
#include "tests/app/window_fixture.h"

namespace kv::test {
namespace {

struct MenuItem {
  int id;
  const char* text;
  bool enabled;
  const char* keys;
};

// Every menu item without a stub data file, as the menu shows it.
const MenuItem kMenuItems[] = {
    {1001, "元のファイル指定(&M)...\tCtrl+O", true, "Ctrl+O"},
    {1003, "作成ファイル指定(&D)...\tCtrl+M", true, "Ctrl+M"},
    {32801, "最新のファイル", false, ""},
    {32790, "今回の設定を次回起動時に引き継がない(&N)", true, ""},
    {2, "終了(&X)", true, ""},
    {32784, "レジストリを削除して終了(&Q)", true, ""},
    {1021, "情報の更新(&R)\tF5", true, "F5"},
    {1022, "実行(&X)\tF7", true, "F7"},
    {32780, "自己復元型分割ファイル作成(&S)\tCtrl+F7", false, "Ctrl+F7"},
    {32783, "選択できません", false, ""},
    {32779, "動作設定(&S)...", true, ""},
    {32777, "分割タイプ(&T)...", true, ""},
    {32788, "正当性チェック(&C)...", true, ""},
    {57666, "目次(&C)\tF1", true, "F1"},
    {57667, "検索(&S)...", true, ""},
    {57668, "ヘルプの使い方(&H)", true, ""},
    {32785, "ホームページ(&P)", true, ""},
    {32776, "バージョン情報(&A)...", true, ""},
};

class MainWindowTest : public WindowFixture {
 protected:
  // A job with the held worker on a real source; the confirmation answered Yes.
  void StartJob(HeldWorker& held) {
    worker = std::ref(held);
    WriteFileBytes(dir / "report.doc", RandomBytes(1500000, 1));
    Open(dir / "report.doc");
    boxes.Answer({QMessageBox::Yes});
    Control<QPushButton>(1022)->click();
    ASSERT_TRUE(WaitFor([&] { return window_->windowTitle() == "Kolvanto 分割中"; }, 3000))
        << Text(1020) << "|" << Text(1002) << "|" << Text(1000) << "|" << boxes.Seen().size() << "|"
        << (boxes.Seen().empty() ? "" : boxes.Seen()[0]) << "|"
        << window_->windowTitle().toStdString();
  }
  bool Ended() const { return window_->windowTitle() == "Kolvanto 終了"; }
  // A closed box may leave no window active; shortcuts need an active window.
  void PressKey(QKeyCombination key) {
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), key.key(), key.keyboardModifiers());
  }
};

TEST_F(MainWindowTest, MenusControlsAndTextsWithoutStubData) {
  Open();
  const char* menus[] = {"ファイル(&F)", "実行(&E)", "設定(&U)", "ツール(&T)", "ヘルプ(&H)"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(window_->findChild<QMenu*>(QStringLiteral("menu%1").arg(i))->title(), menus[i]);
  }
  for (const MenuItem& item : kMenuItems) {
    SCOPED_TRACE(item.id);
    QAction* action = Action(item.id);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text().toStdString(), item.text);
    EXPECT_EQ(action->isEnabled(), item.enabled);
    EXPECT_EQ(action->shortcut().toString().toStdString(), item.keys);
  }
  EXPECT_FALSE(window_->findChild<QMenu*>("kindMenu")->menuAction()->isEnabled());
  const std::pair<int, const char*> controls[] = {
      {1001, "参照(&M)..."},      {1003, "参照(&D)..."}, {1119, "自己復元型分割ファイルを作成(&F)"},
      {1021, "更新(&R)"},         {1022, "実行(&X)"},    {2, "閉じる(&C)"},
      {1020, "Kolvanto ver.3.12"}};
  for (const auto& [id, text] : controls) {
    EXPECT_EQ(Text(id), text) << id;
  }
  EXPECT_FALSE(Control<QCheckBox>(1119)->isEnabled());
  EXPECT_FALSE(Control<QCheckBox>(1119)->isChecked());
  EXPECT_EQ(window_->windowTitle(), "Kolvanto");
  EXPECT_TRUE(Control<QPushButton>(1022)->isDefault());
}

TEST_F(MainWindowTest, ThreeKindsFillTheKindMenu) {
  UseStubData({"Windows用", "MS-DOS用", "Linux用"});
  QSettings(store->FileName(), QSettings::IniFormat).setValue("Settings/SelfRestore", 1);
  Open();
  const QList<QAction*> items = window_->findChild<QMenu*>("kindMenu")->actions();
  const char* expected[][2] = {
      {"id101", "Windows用(&1)"}, {"id102", "MS-DOS用(&2)"}, {"id103", "Linux用(&3)"}};
  ASSERT_EQ(items.size(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(items[i]->objectName(), expected[i][0]);
    EXPECT_EQ(items[i]->text(), expected[i][1]);
  }
  EXPECT_TRUE(window_->findChild<QMenu*>("kindMenu")->menuAction()->isEnabled());
  EXPECT_TRUE(Action(32780)->isEnabled());
  EXPECT_TRUE(Control<QCheckBox>(1119)->isEnabled());
  EXPECT_TRUE(Control<QCheckBox>(1119)->isChecked());
}

TEST_F(MainWindowTest, AcceleratorsOpenTheirCommands) {
  WriteFileBytes(dir / "report.doc", RandomBytes(1500000, 1));
  WriteFileBytes(dir / "other.doc", RandomBytes(1500000, 2));
  Open(dir / "report.doc");
  struct Key {
    QKeyCombination key;
    const char* modal;  // title, then the filters of a file dialog
    std::string chosen;
  };
  const Key keys[] = {
      {Qt::CTRL | Qt::Key_O,
       "元のファイル名を指定|すべてのファイル (*);;分割ファイル (*.d01 *.000 *.001 *.exe);;"
       "分割ファイル (*.?00 *.?01 *.exe);;圧縮ファイル (*.lzh *.zip *.cab *.rar);;"
       "テキストファイル (*.txt *.log)",
       dir / "other.doc"},
      {Qt::CTRL | Qt::Key_M, "作成ファイル名を指定|分割ファイル (*.d01)", dir / "pieces.d01"},
      {QKeyCombination(Qt::Key_F7), "Kolvanto  実行確認", {}}};
  for (const Key& k : keys) {
    SCOPED_TRACE(k.modal);
    std::string seen;
    QTimer::singleShot(300, [&] {
      auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (modal == nullptr) {
        seen = "none";
        return;
      }
      seen = modal->windowTitle().toStdString();
      if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        seen += "|" + files->nameFilters().join(QStringLiteral(";;")).toStdString();
        // Typed into the dialog's name box, as a person does.
        files->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(k.chosen));
        modal->accept();  // the file dialog's own accept, as its OK button
      } else {
        modal->reject();
      }
    });
    PressKey(k.key);
    ASSERT_TRUE(WaitFor([&] { return !seen.empty(); }, 3000));
    EXPECT_EQ(seen, k.modal);
  }
  EXPECT_EQ(Text(1000), dir / "other.doc");
  EXPECT_EQ(Text(1002), dir / "pieces.d01");
  // F5 analyses what the source box reads now.
  Control<QComboBox>(1000)->setEditText(QString::fromStdString(dir / "missing.doc"));
  PressKey(QKeyCombination(Qt::Key_F5));
  EXPECT_NE(Text(1020).find("存在しないか"), std::string::npos) << Text(1020);
  PressKey(QKeyCombination(Qt::Key_F1));
  EXPECT_TRUE(window_->findChild<QWidget*>("helpWindow")->isVisible());
  EXPECT_EQ(window_->findChild<QListWidget*>("helpPages")->count(), 7);
  EXPECT_EQ(CHelpWindow::FindPages(QStringLiteral("Kolvanto.dat 自己復元")),
            QStringList{QStringLiteral("self_restore.html")});
}

class BusyTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(BusyTest, ABusyWindowAndItsEnd) {
  const bool endMessage = GetParam();
  QSettings(store->FileName(), QSettings::IniFormat).setValue("Settings/EndMessage", endMessage);
  HeldWorker held;
  StartJob(held);
  for (int id : {1000, 1001, 1002, 1003, 1013, 1021, 1022}) {
    EXPECT_FALSE(Control<QWidget>(id)->isEnabled()) << id;
  }
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(
        window_->findChild<QMenu*>(QStringLiteral("menu%1").arg(i))->menuAction()->isEnabled(),
        i >= 3);
  }
  EXPECT_EQ(Text(2), "キャンセル(&C)");
  EXPECT_FALSE(window_->acceptDrops());
  EXPECT_TRUE(WaitFor([&] { return Text(1026) == "1,024Bytes"; }));

  if (endMessage) {
    boxes.Answer({QMessageBox::Ok});
  }
  held.release = true;
  ASSERT_TRUE(WaitFor([&] { return Ended() && Control<QWidget>(1022)->isEnabled(); }));
  EXPECT_EQ(Text(1020), "分割が終了しました");
  EXPECT_EQ(Text(2), "閉じる(&C)");
  EXPECT_TRUE(window_->acceptDrops());
  EXPECT_TRUE(window_->findChild<QMenu*>("menu0")->menuAction()->isEnabled());
  ASSERT_EQ(boxes.Seen().size(), endMessage ? 2u : 1u);
  if (endMessage) {
    EXPECT_EQ(boxes.Seen()[1], "Kolvanto  終了確認|分割が終了しました");
  }
}

INSTANTIATE_TEST_SUITE_P(EndMessage, BusyTest, ::testing::Bool());

TEST_F(MainWindowTest, EachWayToCancelStopsTheJobAndKeepsTheWindow) {
  const std::pair<const char*, std::function<void()>> ways[] = {
      {"button", [this] { Control<QPushButton>(2)->click(); }},
      {"Esc", [this] { QTest::keyClick(window_.get(), Qt::Key_Escape); }},
      {"close box", [this] { window_->close(); }},
      {"exit item", [this] { Action(2)->trigger(); }},
  };
  for (const auto& [name, cancel] : ways) {
    SCOPED_TRACE(name);
    HeldWorker held;
    StartJob(held);
    cancel();
    ASSERT_TRUE(WaitFor([&] { return Ended(); }));
    EXPECT_EQ(Text(1020), "分割を中止しました");
    EXPECT_TRUE(window_->isVisible());
    Close();
  }
}

TEST_F(MainWindowTest, ASecondCloseWaitsForTheWorker) {
  HeldWorker held;
  held.endOnCancel = false;
  StartJob(held);
  window_->close();
  window_->close();
  QTest::qWait(100);
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(job.RunState.load(), kRunCancelRequested);
  held.release = true;
  ASSERT_TRUE(WaitFor([&] { return Ended(); }));
  window_->close();
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, DropsOfOneAndOfThreeFiles) {
  std::vector<std::string> files;
  QList<QUrl> urls;
  for (const char* name : {"a.doc", "b doc.txt", "c.doc"}) {
    files.push_back(dir / name);
    WriteFileBytes(files.back(), RandomBytes(100, 2));
    urls << QUrl::fromLocalFile(QString::fromStdString(files.back()));
  }
  Open();
  auto drop = [&](const QList<QUrl>& dropped) {
    QMimeData data;
    data.setUrls(dropped);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QDropEvent event(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &event);
  };
  drop({urls[1]});
  EXPECT_EQ(Text(1000), files[1]) << Text(1020);
  EXPECT_TRUE(boxes.Seen().empty());

  boxes.Answer({QMessageBox::Yes});
  drop(urls);
  EXPECT_EQ(Text(1000), files[0]);
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0],
            "Kolvanto|　Kolvantoでは、複数のファイルを同時に扱うことはできません。\n"
            "ドロップされたファイルの数だけKolvantoを起動しますか？");
  EXPECT_EQ(shell.copies, (std::vector<std::string>{"/usr/bin/kolvanto " + files[1],
                                                    "/usr/bin/kolvanto " + files[2]}));
}

TEST_F(MainWindowTest, ADropWhileAJobRunsIsRefused) {
  HeldWorker held;
  StartJob(held);
  WriteFileBytes(dir / "other.doc", RandomBytes(100, 3));
  QMimeData data;
  data.setData(QStringLiteral("text/uri-list"),
               QUrl::fromLocalFile(QString::fromStdString(dir / "other.doc")).toEncoded() + "\r\n");
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  enter.ignore();
  QApplication::sendEvent(window_.get(), &enter);
  EXPECT_FALSE(enter.isAccepted());
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window_.get(), &drop);
  EXPECT_EQ(Text(1000), dir / "report.doc");
  held.release = true;
  ASSERT_TRUE(WaitFor([&] { return Ended(); }));
}

TEST_F(MainWindowTest, RecentFilesFollowConfirmedJobs) {
  const QString previous = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(dir.Path().string()));
  HeldWorker held;
  held.release = true;
  worker = std::ref(held);
  Open();
  for (const char* name : {"a.doc", "b.doc", "a.doc"}) {
    WriteFileBytes(dir / name, RandomBytes(1500000, 3));
    Control<QComboBox>(1000)->setEditText(QString::fromStdString(dir / name));
    job.SourceChanged = 1;
    boxes.Answer({QMessageBox::Yes});
    Control<QPushButton>(1022)->click();
    ASSERT_TRUE(WaitFor([&] { return Ended() && Control<QWidget>(1022)->isEnabled(); }));
  }
  EXPECT_EQ(Action(32801)->text(), "a.doc");
  EXPECT_TRUE(Action(32801)->isEnabled());
  EXPECT_EQ(Action(32802)->text(), "b.doc");
  EXPECT_EQ(Action(32803), nullptr);
  Action(32802)->trigger();
  EXPECT_EQ(Text(1000), dir / "b.doc");
  Close();
  EXPECT_EQ(store->LoadRecentFiles()[1], dir / "b.doc");
  QDir::setCurrent(previous);
}

TEST_F(MainWindowTest, TheStoredPositionMovesTheWindowOnlyWhenComplete) {
  Open();
  const QPoint unplaced = window_->pos();
  Close();
  struct Case {
    std::optional<int> left, top;
    QPoint expected;
  };
  const Case cases[] = {{{}, {}, unplaced}, {40, {}, unplaced}, {40, 50, QPoint(40, 50)}};
  for (const Case& c : cases) {
    QFile::remove(store->FileName());
    QSettings stored(store->FileName(), QSettings::IniFormat);
    if (c.left) {
      stored.setValue("Window/Left", *c.left);
    }
    if (c.top) {
      stored.setValue("Window/Top", *c.top);
    }
    stored.sync();
    Open();
    EXPECT_EQ(window_->pos(), c.expected);
    Close();
  }
}

TEST_F(MainWindowTest, AFolderItemTakesTheFileNameAlongAndAFileItemStandsAlone) {
  QSettings stored(store->FileName(), QSettings::IniFormat);
  stored.setValue("DefaultPath/Divide-1", "/media/backup/");
  stored.setValue("DefaultPath/Divide-2", "/media/backup/list.txt");
  stored.sync();
  Open("");
  auto* box = Control<QComboBox>(1000);
  struct Case {
    const char* typed;
    int item;
    const char* result;
  };
  const Case cases[] = {{"/data/report.doc", 0, "/media/backup/report.doc"},
                        {"", 0, "/media/backup/"},
                        {"/data/report.doc", 1, "/media/backup/list.txt"}};
  for (const Case& c : cases) {
    box->lineEdit()->selectAll();
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(box->lineEdit(), c.typed);
    box->setCurrentIndex(c.item);
    emit box->activated(c.item);
    QTest::qWait(50);
    EXPECT_EQ(Text(1000), c.result) << c.typed << " " << c.item;
  }
}

TEST_F(MainWindowTest, TheTwoSettingsCommands) {
  Open();
  Action(32790)->trigger();
  EXPECT_TRUE(Action(32790)->isChecked());
  Action(32790)->trigger();
  EXPECT_FALSE(Action(32790)->isChecked());

  boxes.Answer({QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Ok});
  Action(32784)->trigger();
  ASSERT_EQ(boxes.Seen().size(), 3u);
  EXPECT_EQ(boxes.Seen()[2],
            "Kolvanto|ご利用ありがとうございました。\nまたのご利用をお待ちしています。");
  EXPECT_FALSE(window_->isVisible());
  Close();
  EXPECT_FALSE(QFile::exists(store->FileName()));
}

TEST_F(MainWindowTest, AWorkerAsksInTheWindowAndWaitsForTheAnswer) {
  std::vector<Answer> answers;
  worker = [&answers](WorkerKind, const WorkerContext& c) {
    c.job.SetStatusText("1,024Bytes");
    answers.push_back(c.prompter.Ask(MakeMessage("次のファイルは「/m/report.d02」になります",
                                                 Buttons::kYesNo, Icon::kInformation)));
    answers.push_back(c.prompter.AskCapacityShortage(
        {"必要容量： 1,457,664Bytes", "空き容量： 1,024Bytes", "/m/report.d02"}));
    c.job.SetJobMessage("分割が終了しました");
    c.job.RunState.store(kRunIdle);
  };
  WriteFileBytes(dir / "report.doc", RandomBytes(1500000, 4));
  Open(dir / "report.doc");
  std::string shortage;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    // The job timer goes on ticking while the worker waits: the status field fills.
    if (modal == nullptr || modal->windowTitle() != "Kolvanto 容量不足" || Text(1026).empty()) {
      return;
    }
    shortage = Text(1026) + "|" + modal->findChild<QLabel*>("id1072")->text().toStdString() + "|" +
               modal->findChild<QLabel*>("id1073")->text().toStdString();
    EXPECT_TRUE(modal->findChild<QPushButton*>("id1069")->isEnabled());
    modal->findChild<QPushButton*>("id1070")->click();
    modal->findChild<QPushButton*>("id1071")->click();
  });
  poll.start(20);
  boxes.Answer({QMessageBox::Yes, QMessageBox::No});
  Control<QPushButton>(1022)->click();
  ASSERT_TRUE(WaitFor([&] { return Ended(); }));
  EXPECT_EQ(answers, (std::vector<Answer>{Answer::kNo, Answer::kRetry}));
  ASSERT_EQ(boxes.Seen().size(), 2u);
  EXPECT_EQ(boxes.Seen()[1], "Kolvanto|次のファイルは「/m/report.d02」になります");
  EXPECT_EQ(shortage, "1,024Bytes|必要容量： 1,457,664Bytes|空き容量： 1,024Bytes");
  EXPECT_EQ(shell.folders, std::vector<std::string>{"/m/report.d02"});
}

TEST_F(MainWindowTest, TheAboutBoxTellsTheStubDataStatus) {
  UseStubData({"Windows用"});
  Open();
  QString version;
  QString status;
  QTimer::singleShot(200, [&] {
    QWidget* about = QApplication::activeModalWidget();
    version = about->findChild<QLabel*>("id1112")->text();
    status = about->findChild<QLabel*>("id1074")->text();
    qobject_cast<QDialog*>(about)->accept();
  });
  Action(32776)->trigger();
  EXPECT_EQ(version, "Kolvanto Version 3.12 ファイル分割");
  EXPECT_EQ(status, "自己復元型分割データ  ver. 2.01");
}

TEST_F(MainWindowTest, TheSettingsAndToolCommandsOpenTheirDialogs) {
  Open(dir / "missing.doc");
  Control<QComboBox>(1013)->setEditText(QStringLiteral("12345"));
  struct Command {
    int id;
    const char* title;
    bool ok;
    bool analyses;  // the information field is written anew afterwards
  };
  const Command commands[] = {{32779, "動作設定", true, false},
                              {32777, "分割タイプ設定", false, true},
                              {32788, "正当性チェック", false, false}};
  for (const Command& c : commands) {
    SCOPED_TRACE(c.title);
    Control<QPlainTextEdit>(1020)->setPlainText(QStringLiteral("-"));
    std::string seen = "none";
    QTimer::singleShot(300, [&] {
      auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (modal != nullptr) {
        seen = modal->windowTitle().toStdString();
        c.ok ? modal->accept() : modal->reject();
      }
    });
    Action(c.id)->trigger();
    EXPECT_EQ(seen, c.title);
    // The divide type sheet, even cancelled, has the source analysed again.
    EXPECT_EQ(Text(1020) != "-", c.analyses);
    if (c.id == 32779) {
      // OK kept the typed size and refilled the preset list.
      EXPECT_EQ(Text(1013), "12345");
      EXPECT_EQ(Control<QComboBox>(1013)->count(), 13);
    }
  }
}

}  // namespace
}  // namespace kv::test
