// The window as a Japanese desktop user meets it: Qt's own texts in Japanese,
// boxes named by their labels, the cause of a failed job, boxes and lists
// sized to their texts, buttons that say what is missing.

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTest>
#include <QTranslator>
#include <cerrno>

#include "app/capacity_shortage_dlg.h"
#include "app/dialog_font.h"
#include "app/qt_translation.h"
#include "core/job_end.h"
#include "tests/app/window_fixture.h"
#include "tools/percent_progress_ctrl.h"

namespace kv::test {
namespace {

class WindowLookTest : public WindowFixture {
 protected:
  // Runs a job to its end with `body` as the worker's work; the confirmation answered Yes.
  void RunJob(std::function<JobEnd()> body,
              std::initializer_list<QMessageBox::StandardButton> more) {
    worker = [body](WorkerKind, const WorkerContext& c) {
      RunToEnd(c.job, JobKind::kDivide, body);
    };
    WriteFileBytes(dir / "report.doc", RandomBytes(1500000, 5));
    Open(dir / "report.doc");
    boxes.Answer({QMessageBox::Yes});
    boxes.Answer(more);
    Control<QPushButton>(1022)->click();
    ASSERT_TRUE(WaitFor([&] {
      return window_->windowTitle() == "Kolvanto 終了" && Control<QWidget>(1022)->isEnabled();
    }));
  }
};

TEST_F(WindowLookTest, TheStandardDialogsSpeakJapanese) {
  QTranslator* translator = InstallQtTranslation(*QCoreApplication::instance());
  ASSERT_NE(translator, nullptr) << "Qt's Japanese translation (qt6-translations-l10n) is missing";
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  const auto* buttons = dialog.findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  EXPECT_EQ(buttons->button(QDialogButtonBox::Open)->text(), "開く(&O)");
  EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), "キャンセル");
  QCoreApplication::removeTranslator(translator);
  delete translator;
}

TEST_F(WindowLookTest, TheBoxesAreLabelledAndTheirKeysReachThem) {
  Open();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  const struct {
    int id;
    const char* name;
    Qt::Key key;
  } cases[] = {{1000, "元のファイル(B)", Qt::Key_B},
               {1002, "作成ファイル(P)", Qt::Key_P},
               {1013, "分割サイズ(S)", Qt::Key_S}};
  for (const auto& c : cases) {
    auto* box = Control<QComboBox>(c.id);
    // On Linux assistive technology names a combo box by the label that is its buddy.
    QStringList labels;
    for (const auto& [label, relation] :
         QAccessible::queryAccessibleInterface(box)->relations(QAccessible::Label)) {
      labels << label->text(QAccessible::Name);
    }
    EXPECT_EQ(labels, QStringList{QString::fromUtf8(c.name)});
    QTest::keyClick(window_.get(), c.key, Qt::AltModifier);
    EXPECT_TRUE(box->hasFocus() || box->lineEdit()->hasFocus()) << c.name;
  }
}

TEST_F(WindowLookTest, AFailedJobShowsTheSystemsWordsWithTheFileBelowTheFixedText) {
  QSettings(store->FileName(), QSettings::IniFormat).setValue("Settings/EndMessage", 1);
  RunJob([] { return JobEnd{JobOutcome::kFailed, ENOSPC, "/m/report.d02"}; }, {QMessageBox::Ok});
  const std::string shown = "分割を中止しました\n/m/report.d02: No space left on device";
  EXPECT_EQ(Text(1020), shown);
  ASSERT_EQ(boxes.Seen().size(), 2u);
  EXPECT_EQ(boxes.Seen()[1], "Kolvanto  終了確認|" + shown);
}

TEST_F(WindowLookTest, TheNextAnalysisClearsThePercentageAndTheEndTitle) {
  RunJob([] { return JobEnd{JobOutcome::kDone}; }, {});
  auto* bar = Control<CPercentProgressCtrl>(1012);
  EXPECT_TRUE(bar->ShowsText());
  Action(1021)->trigger();
  EXPECT_FALSE(bar->ShowsText());
  // The analysis describes a job not yet run: the title no longer reports one.
  EXPECT_EQ(window_->windowTitle(), "Kolvanto");
}

TEST_F(WindowLookTest, TheDeleteQuestionKeepsEachLineWholeAndTheHelpEachTitle) {
  // Every window in the program's own font, as the application object sets it.
  const QFont previous = QApplication::font();
  QApplication::setFont(JapaneseDialogFont());
  Open();
  QString firstLine;
  bool whole = false;
  QTimer::singleShot(300, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    firstLine = label->text().section(u'\n', 0, 0);
    whole = !label->wordWrap() &&
            label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(firstLine);
    box->button(QMessageBox::No)->click();
  });
  Action(32784)->trigger();
  EXPECT_EQ(firstLine,
            "レジストリから、Kolvantoの設定内容を消去します。１度消去された設定は元に戻せません。");
  EXPECT_TRUE(whole);

  Action(57666)->trigger();
  auto* pages = window_->findChild<QListWidget*>(QStringLiteral("helpPages"));
  QApplication::processEvents();
  QStringList titles;
  for (int row = 0; row < pages->count(); ++row) {
    const QListWidgetItem* item = pages->item(row);
    titles << item->text();
    // The text and the margins the list draws on either side of it.
    const int margin =
        pages->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, pages) + 1;
    EXPECT_LE(pages->visualItemRect(item).left() + 2 * margin +
                  pages->fontMetrics().horizontalAdvance(item->text()),
              pages->viewport()->width())
        << item->text().toStdString();
  }
  QApplication::setFont(previous);
  EXPECT_TRUE(titles.contains(QStringLiteral("分割タイプ（Type0～Type3）")))
      << titles.join(u',').toStdString();
}

TEST_F(WindowLookTest, ButtonsWhoseProgramCannotStartSayWhatToInstall) {
  NoShellActions nothingStarts;
  CCapacityShortageDlg dialog({"必要容量： 2,048Bytes", "空き容量： 1,024Bytes", "/m/x.d02"},
                              nothingStarts, nullptr);
  dialog.show();
  boxes.Answer({QMessageBox::Ok, QMessageBox::Ok});
  dialog.findChild<QPushButton*>(QStringLiteral("id1070"))->click();
  dialog.findChild<QPushButton*>(QStringLiteral("id1069"))->click();
  EXPECT_EQ(boxes.Seen(),
            (std::vector<std::string>{
                "Kolvanto|ファイルマネージャを起動できませんでした。xdg-utils とファイルマネージャ"
                "（Nautilus など）をインストールしてください。",
                "Kolvanto|ディスクユーティリティを起動できませんでした。gnome-disk-utility "
                "をインストールしてください。"}));
}

}  // namespace
}  // namespace kv::test
