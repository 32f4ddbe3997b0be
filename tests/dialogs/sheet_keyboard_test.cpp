// Both settings sheets as a keyboard user and a screen reader meet them:
// Enter confirms from every page, every labelled field is named by its
// label, and the sheet opens as large as its largest page needs.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "dialogs/divide_type_sheet.h"
#include "dialogs/setup_sheet.h"
#include "tests/support/stub_data_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/widget_support/widget_test_support.h"

namespace kv {
namespace {

class SheetKeyboardTest : public ::testing::Test {
 protected:
  SheetKeyboardTest() {
    const std::string path = dir_ / "Kolvanto.dat";
    test::WriteFileBytes(path, test::BuildStubDataFile(2, 0, {{"Linux x86-64", {1}}}));
    EXPECT_TRUE(stubs_.LoadStubDataFile(path));
    settings_.DivideSizePresets = BuiltInPresets();
  }
  // The two sheets, each built afresh: the setup sheet with all five pages.
  std::vector<std::function<std::unique_ptr<CPropertySheet>()>> Sheets() {
    return {[this] { return std::make_unique<CSetupSheet>(settings_, stubs_, nullptr); },
            [] {
              auto sheet = std::make_unique<CDivideTypeSheet>(nullptr);
              DivideSettings settings = DivideSettings::StoredDefaults();
              sheet->Load(settings);
              return std::unique_ptr<CPropertySheet>(std::move(sheet));
            }};
  }

  test::TempDir dir_;
  DivideSettings settings_ = DivideSettings::StoredDefaults();
  StubDataFile stubs_;
};

TEST_F(SheetKeyboardTest, EnterConfirmsFromEveryFieldOfEveryPage) {
  // A dialog opened instead is closed again and counted.
  const test::ModalCloser opened;
  int pressed = 0;
  for (const auto& make : Sheets()) {
    const int pages = make()->PageCount();
    for (int page = 0; page < pages; ++page) {
      // Every field and button of the page that can take the focus.
      std::unique_ptr<CPropertySheet> probe = make();
      probe->show();
      probe->SetActivePage(page);
      const int fields = static_cast<int>(probe->Page(page)->findChildren<QWidget*>().size());
      for (int field = 0; field < fields; ++field) {
        std::unique_ptr<CPropertySheet> sheet = make();
        sheet->show();
        sheet->SetActivePage(page);
        // A size that enables 追加(A): Enter must not add it.
        if (auto* size = test::Control<QLineEdit>(sheet.get(), ids::kPresetSizeEdit)) {
          size->setText(QStringLiteral("2048"));
        }
        QWidget* target = sheet->Page(page)->findChildren<QWidget*>().at(field);
        if (!target->isVisible() || !target->isEnabled() || target->focusPolicy() == Qt::NoFocus ||
            qobject_cast<QLabel*>(target) != nullptr) {
          continue;
        }
        SCOPED_TRACE(sheet->Page(page)->Caption().toStdString() + " " +
                     target->metaObject()->className() + " " + target->objectName().toStdString());
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        EXPECT_EQ(sheet->result(), QDialog::Accepted);
        EXPECT_FALSE(sheet->isVisible());
        if (auto* presets = test::Control<QListWidget>(sheet.get(), ids::kPresetList);
            presets != nullptr && presets->isVisible()) {
          EXPECT_EQ(presets->count(), 8);
        }
        ++pressed;
      }
    }
  }
  EXPECT_GT(pressed, 25);  // the fields of seven pages were tried
  EXPECT_EQ(opened.Closed(), 0);
}

TEST_F(SheetKeyboardTest, EveryLabelledFieldIsNamedByItsLabel) {
  using Fields = std::vector<std::pair<const char*, int>>;
  const Fields fieldsOf[] = {{{"リムーバブルディスクドライブ(&V)", 1017},
                              {"復元ファイルのデフォルト拡張子(&E)", 1080},
                              {"最初のファイル", 1078},
                              {"以降のファイル", 1079},
                              {"種類", 1076}},
                             {{"文字列", 1095}}};
  const auto sheets = Sheets();
  for (std::size_t s = 0; s < sheets.size(); ++s) {
    std::unique_ptr<CPropertySheet> sheet = sheets[s]();
    sheet->show();
    for (const auto& [label, id] : fieldsOf[s]) {
      SCOPED_TRACE(label);
      QWidget* field = test::Control<QWidget>(sheet.get(), id);
      ASSERT_NE(field, nullptr);
      QLabel* naming = nullptr;
      for (QLabel* candidate : sheet->findChildren<QLabel*>()) {
        naming = candidate->buddy() == field ? candidate : naming;
      }
      ASSERT_NE(naming, nullptr);
      EXPECT_EQ(naming->text(), label);
      QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(field);
      ASSERT_NE(accessible, nullptr);
      EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromUtf8(label).remove(u'&'));
    }
  }
}

TEST_F(SheetKeyboardTest, TheSheetOpensAtItsLargestPageAndListsShowTheirLinesWhole) {
  // A desktop with a larger Japanese font than the default.
  const QFont previous = QApplication::font();
  QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 11));
  CSetupSheet sheet(settings_, stubs_, nullptr);
  sheet.show();
  const QSize opened = sheet.size();
  int tallestPage = 0;
  for (int page = 0; page < sheet.PageCount(); ++page) {
    sheet.SetActivePage(page);
    tallestPage = std::max(tallestPage, sheet.Page(page)->minimumSizeHint().height());
  }
  // Beside its largest page the sheet has room for the tabs and buttons, and no more.
  EXPECT_LT(opened.height() - tallestPage, 130) << opened.height() << " " << tallestPage;
  const QTabBar* tabs = sheet.findChild<QTabWidget*>()->tabBar();
  EXPECT_LE(tabs->sizeHint().width(), tabs->width());
  sheet.SetActivePage(1);
  auto* presets = test::Control<QListWidget>(&sheet, ids::kPresetList);
  QApplication::processEvents();
  EXPECT_EQ(presets->horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(presets->verticalScrollBar()->maximum(), 0);
  for (int row = 0; row < presets->count(); ++row) {
    EXPECT_LE(presets->fontMetrics().horizontalAdvance(presets->item(row)->text()),
              presets->viewport()->width())
        << presets->item(row)->text().toStdString();
  }
  test::SavePicture(sheet, "setup_sheet_large_font");
  QApplication::setFont(previous);
}

}  // namespace
}  // namespace kv
