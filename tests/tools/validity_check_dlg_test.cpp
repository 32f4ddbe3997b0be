#include "tools/validity_check_dlg.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "dialogs/command_ids.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/piece_fixtures.h"
#include "tests/widget_support/widget_test_support.h"

namespace kv {
namespace {

using test::Control;

class ValidityCheckDlgTest : public ::testing::Test {
 protected:
  QTreeView* List() const { return Control<QTreeView>(&dialog_, ids::kCheckList); }
  QPushButton* CheckButton() const { return Control<QPushButton>(&dialog_, ids::kIdOk); }
  QPushButton* CloseButton() const { return Control<QPushButton>(&dialog_, ids::kIdCancel); }

  // The rows as shown, top to bottom: "name|mark|remark".
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    const QAbstractItemModel* model = List()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
      QStringList texts;
      for (int column = 0; column < 3; ++column) {
        texts.push_back(model->index(row, column).data().toString());
      }
      rows.push_back(texts.join('|').toStdString());
    }
    return rows;
  }
  void Drop(const std::string& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog_, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog_, &drop);
  }
  // By default the click comes a double-click interval after the last one,
  // as a person sorting does; with no delay, no queued event is handled first.
  void ClickHeader(int column, int delayMs = QApplication::doubleClickInterval() + 10) {
    QHeaderView* header = List()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2),
                      delayMs);
  }
  // Waits for the timer to restore the buttons after the worker ended.
  bool WaitForIdleButtons(int timeoutMs = 20000) {
    return QTest::qWaitFor(
        [&] { return CloseButton()->text() == "閉じる(&C)" && CheckButton()->isEnabled(); },
        timeoutMs);
  }
  void WriteCraftedFolder() {
    const auto body = test::RandomBytes(3000, 41);
    test::WriteFileBytes(dir_ / "a.d01", test::FirstPiece(body, 9000));
    test::WriteFileBytes(dir_ / "a.d02", test::Filler(12));
    auto altered = test::NextPiece(body);
    altered[100] ^= 1;
    test::WriteFileBytes(dir_ / "b.d02", altered);
    test::WriteFileBytes(dir_ / "a.exe", test::Filler(5000));
    test::WriteFileBytes(dir_ / "b.txt", test::NextPiece(body));
    test::WriteFileBytes(dir_ / "c.d1", test::NextPiece(body));
    std::filesystem::create_directory(dir_.Path() / "x.d05");
    std::filesystem::create_directory(dir_.Path() / "y.exe");
  }

  test::TempDir dir_;
  mutable CValidityCheckDlg dialog_{nullptr};
};

TEST_F(ValidityCheckDlgTest, ADroppedFolderIsListedAndJudgedRowByRow) {
  WriteCraftedFolder();
  dialog_.show();
  Drop(dir_ / "b.txt");  // not a folder: ignored
  EXPECT_TRUE(Rows().empty());
  Drop(dir_.Path().string());
  EXPECT_EQ(Control<QLineEdit>(&dialog_, ids::kCheckFolderEdit)->text().toStdString(),
            dir_.Path().string());
  EXPECT_EQ(Rows(),
            (std::vector<std::string>{"a.d01||", "a.d02||", "b.d02||", "a.exe||", "y.exe||"}));
  CheckButton()->click();
  EXPECT_EQ(CloseButton()->text(), "キャンセル(&C)");
  EXPECT_FALSE(Control<QPushButton>(&dialog_, ids::kCheckBrowseButton)->isEnabled());
  ASSERT_TRUE(WaitForIdleButtons());
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a.d01|○|", "a.d02|？|未対応", "b.d02|▲|CRCエラー",
                                              "a.exe|？|未対応", "y.exe|×|ファイルが開けません"}));

  const QAbstractItemModel* model = List()->model();
  const QHeaderView* header = List()->header();
  const char* const headers[] = {"ファイル名", "判定", "備考"};
  const int widths[] = {151, 40, 139};
  for (int column = 0; column < 3; ++column) {
    EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString(), headers[column]);
    EXPECT_EQ(header->sectionSize(column), widths[column]);
  }
  EXPECT_EQ(model->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHCenter,
            Qt::AlignHCenter);
  EXPECT_EQ(model->index(0, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHCenter, 0);
  EXPECT_TRUE(header->sectionsMovable());
  EXPECT_EQ(List()->selectionBehavior(), QAbstractItemView::SelectRows);
  test::SavePicture(dialog_, "validity_check");
}

TEST_F(ValidityCheckDlgTest, EnterChecksAndTheFolderIsLabelledAndPromptedOnALineOfItsOwn) {
  WriteCraftedFolder();
  dialog_.show();
  auto* folder = Control<QLineEdit>(&dialog_, ids::kCheckFolderEdit);
  QString label;
  for (const QLabel* candidate : dialog_.findChildren<QLabel*>()) {
    label = candidate->buddy() == folder ? candidate->text() : label;
  }
  EXPECT_EQ(label, "フォルダ");

  QString prompt;
  QString lookIn;
  test::OnNextModal("QFileDialog", [&](QWidget* picker) {
    const auto* line = picker->findChild<QLabel*>(QStringLiteral("folderPrompt"));
    prompt = line != nullptr ? line->text() : QString();
    lookIn = picker->findChild<QLabel*>(QStringLiteral("lookInLabel"))->text();
    qobject_cast<QDialog*>(picker)->reject();
  });
  Control<QPushButton>(&dialog_, ids::kCheckBrowseButton)->click();
  EXPECT_EQ(prompt, "チェックしたいファイルがあるフォルダを指定してください");
  EXPECT_NE(lookIn, prompt);  // the folder box keeps its short label and its width

  // Enter in the list runs the check; a browser opened instead is closed and counted.
  const test::ModalCloser opened;
  Drop(dir_.Path().string());
  List()->setFocus();
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_EQ(opened.Closed(), 0);
  ASSERT_TRUE(WaitForIdleButtons());
  EXPECT_EQ(Rows().front(), "a.d01|○|");
}

TEST_F(ValidityCheckDlgTest, HeaderClicksSortAscendingThenDescendingByEachComparator) {
  WriteCraftedFolder();
  dialog_.show();
  Drop(dir_.Path().string());
  CheckButton()->click();
  ASSERT_TRUE(WaitForIdleButtons());
  const auto names = [&] {
    std::string out;
    for (const std::string& row : Rows()) {
      out += row.substr(0, row.find('|')) + " ";
    }
    return out;
  };
  ClickHeader(0);
  EXPECT_EQ(names(), "a.exe a.d01 a.d02 b.d02 y.exe ");
  ClickHeader(0);
  EXPECT_EQ(names(), "y.exe b.d02 a.d02 a.d01 a.exe ");
  ClickHeader(1);  // equal marks keep their order
  EXPECT_EQ(names(), "a.d01 b.d02 y.exe a.d02 a.exe ");
  ClickHeader(1);
  EXPECT_EQ(names(), "a.d02 a.exe y.exe b.d02 a.d01 ");
  ClickHeader(2);
  EXPECT_EQ(names(), "a.d01 b.d02 y.exe a.d02 a.exe ");  // "", "C…", "フ…", "未…"
}

TEST_F(ValidityCheckDlgTest, SelectedRowsAloneAreCheckedAndVerdictsFollowTheirFilesThroughASort) {
  WriteCraftedFolder();
  dialog_.show();
  Drop(dir_.Path().string());
  const QAbstractItemModel* model = List()->model();
  auto* selection = List()->selectionModel();
  for (int row : {1, 2, 4}) {  // a.d02, b.d02, y.exe
    selection->select(model->index(row, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  CheckButton()->click();
  ClickHeader(0, 0);  // re-sorted before any verdict has been handled
  ASSERT_TRUE(WaitForIdleButtons());
  EXPECT_EQ(Rows(),
            (std::vector<std::string>{"a.exe||", "a.d01||", "a.d02|？|未対応", "b.d02|▲|CRCエラー",
                                      "y.exe|×|ファイルが開けません"}));
  EXPECT_EQ(selection->selectedRows().size(), 3);
  EXPECT_TRUE(selection->isRowSelected(4, {}));  // the selection moved with y.exe
}

TEST_F(ValidityCheckDlgTest, CancelStopsInsideALargeBodyAndTheDialogClosesOnlyWhenIdle) {
  const std::int64_t huge = std::int64_t{64} << 30;
  test::WriteFileBytes(dir_ / "big.d01", test::FirstPiece(test::RandomBytes(10, 1), huge, huge));
  std::filesystem::resize_file(dir_.Path() / "big.d01", static_cast<std::uintmax_t>(huge));
  test::WriteFileBytes(dir_ / "later.d02", test::Filler(12));
  dialog_.show();
  Drop(dir_.Path().string());
  CheckButton()->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Rows().front() == "big.d01|－|"; }, 10000));
  std::filesystem::create_directory(dir_.Path() / "other");
  Drop(dir_ / "other");  // the folder stays while the worker reads it
  EXPECT_EQ(Control<QLineEdit>(&dialog_, ids::kCheckFolderEdit)->text().toStdString(),
            dir_.Path().string());
  CloseButton()->click();  // asks the worker to stop
  EXPECT_TRUE(dialog_.isVisible());
  ASSERT_TRUE(WaitForIdleButtons(10000));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"big.d01|－|", "later.d02||"}));
  CloseButton()->click();
  EXPECT_FALSE(dialog_.isVisible());
}

TEST_F(ValidityCheckDlgTest, ACheckWithoutAFolderEndsAtOnce) {
  dialog_.show();
  CheckButton()->click();
  ASSERT_TRUE(WaitForIdleButtons(2000));
  EXPECT_TRUE(Rows().empty());
}

TEST_F(ValidityCheckDlgTest, TenThousandFilesAreListedAndSortedWithoutFreezing) {
  for (int i = 0; i < 10000; ++i) {
    std::ofstream(dir_ / ("f" + std::to_string(10000 + i) + ".d01"));
  }
  dialog_.show();
  // Generous for a loaded machine; a per-row layout or sort would take many seconds.
  QElapsedTimer timer;
  timer.start();
  Drop(dir_.Path().string());
  ClickHeader(0, 0);
  QApplication::processEvents();
  EXPECT_LT(timer.elapsed(), 2000);
  QTest::qWait(QApplication::doubleClickInterval() + 10);
  timer.restart();
  ClickHeader(0, 0);
  QApplication::processEvents();
  EXPECT_LT(timer.elapsed(), 1000);
  ASSERT_EQ(List()->model()->rowCount(), 10000);
  EXPECT_EQ(Rows().front(), "f19999.d01||");
}

}  // namespace
}  // namespace kv
