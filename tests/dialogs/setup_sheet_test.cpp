#include "dialogs/setup_sheet.h"

#include "dialogs/path_input_dlg.h"
#include "dialogs/preset_line.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>
#include <filesystem>

#include "dialogs/command_ids.h"
#include "tests/support/stub_data_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/widget_support/widget_test_support.h"

namespace kv {
namespace {

using test::Control;

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int row = 0; row < list->count(); ++row) {
    lines.push_back(list->item(row)->text());
  }
  return lines;
}

class SetupSheetTest : public ::testing::Test {
 protected:
  void LoadKinds(const std::vector<test::TestStubKind>& kinds) {
    const std::string path = dir_ / "Kolvanto.dat";
    test::WriteFileBytes(path, test::BuildStubDataFile(2, 0, kinds));
    ASSERT_TRUE(stubs_.LoadStubDataFile(path));
  }
  // A sheet shown without its own event loop, on page `page`.
  CSetupSheet& Open(int page = 0) {
    sheet_ = std::make_unique<CSetupSheet>(settings_, stubs_, nullptr);
    sheet_->show();
    Tabs()->setCurrentIndex(page);
    return *sheet_;
  }
  QTabWidget* Tabs() const { return sheet_->findChild<QTabWidget*>(); }
  template <class Widget>
  Widget* Get(int id) const {
    Widget* widget = Control<Widget>(sheet_.get(), id);
    EXPECT_NE(widget, nullptr) << id;
    return widget;
  }
  void ClickOk() { Get<QPushButton>(ids::kIdOk)->click(); }

  test::TempDir dir_;
  DivideSettings settings_ = DivideSettings::StoredDefaults();
  StubDataFile stubs_;
  std::unique_ptr<CSetupSheet> sheet_;
};

TEST_F(SetupSheetTest, PagesFollowTheStubKindsAndEachPageIsPictured) {
  const QStringList fourPages{"一般設定", "分割設定", "復元設定", "デフォルトパス"};
  Open();
  QStringList captions;
  for (int i = 0; i < Tabs()->count(); ++i) {
    captions.push_back(Tabs()->tabText(i));
  }
  EXPECT_EQ(captions, fourPages);

  LoadKinds({{"Linux x86-64", {1}}, {"Windows x64", {2}}});
  settings_.RestoreNo = 1;
  Open();
  ASSERT_EQ(Tabs()->count(), 5);
  EXPECT_EQ(Tabs()->tabText(3), "自己復元");
  auto* kinds = Get<QListWidget>(ids::kRestoreKindList);
  EXPECT_EQ(Lines(kinds), (QStringList{"Linux x86-64", "Windows x64"}));
  EXPECT_EQ(kinds->currentRow(), 1);
  for (int i = 0; i < Tabs()->count(); ++i) {
    Tabs()->setCurrentIndex(i);
    test::SavePicture(*sheet_, "setup_page_" + std::to_string(i));
  }
  kinds->clearSelection();
  ClickOk();
  EXPECT_EQ(settings_.RestoreNo, -1);
}

TEST_F(SetupSheetTest, AddIsEnabledFromAThousandAndTwentyFourBytes) {
  const struct {
    const char* text;
    bool enabled;
  } cases[] = {{"1023", false},
               {"1,023", false},
               {"1024", true},
               {"1,024", true},
               {"", false},
               {"abc", false},
               {"空き容量にあわせる", false}};
  Open(1);
  for (const auto& c : cases) {
    Get<QLineEdit>(ids::kPresetSizeEdit)->setText(QString::fromUtf8(c.text));
    EXPECT_EQ(Get<QPushButton>(ids::kPresetAddButton)->isEnabled(), c.enabled) << c.text;
  }
}

TEST_F(SetupSheetTest, PresetsAreAddedSelectedDeletedAndResetToTheBuiltInOnes) {
  Open(1);
  auto* list = Get<QListWidget>(ids::kPresetList);
  auto* size = Get<QLineEdit>(ids::kPresetSizeEdit);
  auto* label = Get<QLineEdit>(ids::kPresetLabelEdit);
  auto* add = Get<QPushButton>(ids::kPresetAddButton);
  auto* remove = Get<QPushButton>(ids::kPresetDeleteButton);
  const QStringList builtIn{"1,457,664Bytes (1.44MB) | 1.44MBフロッピー",
                            "1,250,304Bytes (1.25MB) | 1.25MBフロッピー",
                            "730,112Bytes  (720KB) | 720KBフロッピー",
                            "227,606,528Bytes (230MB) | 230MBＭＯ",
                            "635,541,504Bytes (640MB) | 640MBＭＯ",
                            "1,240,596,480Bytes (1.3GB) | 1.3GBＭＯ",
                            "735,846,400Bytes (700MB) | 700MB CD-R",
                            "4,294,967,295Bytes (4GB) | FAT32 USBメモリ",
                            "4,700,372,992Bytes (4.7GB) | 4.7GB DVD-R",
                            "8,543,666,176Bytes (8.5GB) | 8.5GB DVD-R DL",
                            "25,025,314,816Bytes (25GB) | 25GB BD-R",
                            "26,214,400Bytes (25MB) | メール添付 25MB",
                            "空き容量にあわせる"};
  EXPECT_EQ(Lines(list), builtIn);
  EXPECT_FALSE(remove->isEnabled());

  size->setText("2,048 Bytes");
  label->setText("test");
  add->click();
  EXPECT_EQ(list->item(13)->text(), "2,048 Bytes | test");
  size->setText("4096|x");
  test::SeenMessage seen;
  test::AnswerNextMessageBox(seen);
  add->click();
  EXPECT_EQ(seen.text, "「|」は使用できません");
  EXPECT_EQ(seen.caption, "Kolvanto");
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
  EXPECT_EQ(list->count(), 14);

  list->setCurrentRow(12);  // the fit-to-free-space line reads as 0 bytes
  EXPECT_EQ(size->text(), "空き容量にあわせる");
  EXPECT_EQ(label->text(), "");
  EXPECT_FALSE(add->isEnabled());
  list->setCurrentRow(13);
  EXPECT_EQ(size->text(), "2,048 Bytes");
  EXPECT_EQ(label->text(), "test");
  EXPECT_TRUE(remove->isEnabled());
  remove->click();  // the last line: nothing is selected afterwards
  EXPECT_TRUE(list->selectedItems().isEmpty());
  EXPECT_FALSE(remove->isEnabled());
  list->setCurrentRow(0);
  remove->click();
  EXPECT_EQ(list->selectedItems().value(0), list->item(0));
  EXPECT_EQ(list->item(0)->text(), builtIn[1]);

  Get<QPushButton>(ids::kPresetStandardButton)->click();
  EXPECT_EQ(Lines(list), builtIn);
  list->model()->moveRow({}, 12, {}, 0);  // as a drag to the top does
  ClickOk();
  ASSERT_EQ(settings_.DivideSizePresets.size(), 13U);
  EXPECT_EQ(settings_.DivideSizePresets[0], (SizePreset{"空き容量にあわせる", ""}));
  EXPECT_EQ(settings_.DivideSizePresets[1],
            (SizePreset{"1,457,664Bytes (1.44MB)", "1.44MBフロッピー"}));
}

TEST_F(SetupSheetTest, TabVisitsAPageInTheOrderOfItsControlsThenTheButtons) {
  Open(1);
  QWidget* page = Tabs()->currentWidget();
  QStringList order;
  for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain()) {
    if (w->objectName().startsWith("id") && (page->isAncestorOf(w) || !Tabs()->isAncestorOf(w))) {
      order.push_back(w->objectName());
    }
  }
  EXPECT_EQ(order, (QStringList{"id1106", "id1113", "id1108", "id1105", "id1107", "id1110",
                                "id1124", "id1125", "id1", "id2"}));
}

TEST_F(SetupSheetTest, RecoveryIsOffUntilCheckedAndItsCountRunsFromOneTo32768) {
  Open(1);
  auto* check = Get<QCheckBox>(ids::kRecoveryCheck);
  auto* count = Get<QLineEdit>(ids::kRecoveryCountEdit);
  EXPECT_EQ(check->text(), QStringLiteral("分割したファイルに修復データを付ける(&V)"));
  EXPECT_FALSE(check->isChecked());
  EXPECT_EQ(count->text(), QStringLiteral("1"));
  EXPECT_FALSE(count->isEnabled());
  check->click();
  EXPECT_TRUE(count->isEnabled());
  const struct {
    const char* text;
    const char* message;  // empty: accepted
  } cases[] = {{"0", "1 から 32768 までの整数を入力してください。"},
               {"32769", "1 から 32768 までの整数を入力してください。"},
               {"3", ""}};
  for (const auto& c : cases) {
    count->setText(c.text);
    test::SeenMessage seen;
    if (*c.message != '\0') {
      test::AnswerNextMessageBox(seen);
      Tabs()->setCurrentIndex(0);
      EXPECT_EQ(Tabs()->currentIndex(), 1) << c.text;
      EXPECT_EQ(seen.text, QString::fromUtf8(c.message));
    }
  }
  ClickOk();
  EXPECT_TRUE(settings_.Recovery);
  EXPECT_EQ(settings_.RecoveryPieces, 3);

  Open(1);  // the stored state comes back; unchecking keeps the count
  EXPECT_TRUE(Get<QCheckBox>(ids::kRecoveryCheck)->isChecked());
  EXPECT_EQ(Get<QLineEdit>(ids::kRecoveryCountEdit)->text(), QStringLiteral("3"));
  Get<QCheckBox>(ids::kRecoveryCheck)->click();
  ClickOk();
  EXPECT_FALSE(settings_.Recovery);
  EXPECT_EQ(settings_.RecoveryPieces, 3);
}

TEST(PresetLineTest, ALineSplitsIntoSizeTextAndLabelAndBack) {
  const struct {
    const char* line;
    SizePreset preset;
    const char* rebuilt;
  } cases[] = {
      {"1,457,664Bytes (1.44MB) | 1.44MBフロッピー",
       {"1,457,664Bytes (1.44MB)", "1.44MBフロッピー"},
       "1,457,664Bytes (1.44MB) | 1.44MBフロッピー"},
      {"空き容量にあわせる", {"空き容量にあわせる", ""}, "空き容量にあわせる"},
      {"2048   | x", {"2048", "x"}, "2048 | x"},
      {"2048|a|b", {"2048", "a|b"}, "2048 | a|b"},
      {"2048 | ", {"2048", ""}, "2048"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitPresetLine(QString::fromUtf8(c.line)), c.preset) << c.line;
    EXPECT_EQ(PresetLine(c.preset), QString::fromUtf8(c.rebuilt)) << c.line;
  }
}

TEST_F(SetupSheetTest, HeadCutCountsAreIntegersUpTo32767) {
  const struct {
    const char* first;
    const char* next;
    const char* message;  // empty: accepted
  } cases[] = {{"", "0", "整数を入力してください。"},
               {"0", "32768", "0 から 32767 までの整数を入力してください。"},
               {"99999999999999999999", "0", "0 から 32767 までの整数を入力してください。"},
               {"32767", "7", ""}};
  for (const auto& c : cases) {
    settings_.HeadCut = true;
    Open(2);
    Get<QLineEdit>(ids::kHeadCutFirstEdit)->setText(c.first);
    Get<QLineEdit>(ids::kHeadCutNextEdit)->setText(c.next);
    test::SeenMessage seen;
    if (*c.message != '\0') {
      test::AnswerNextMessageBox(seen);
      Tabs()->setCurrentIndex(0);  // leaving the page is refused
      EXPECT_EQ(Tabs()->currentIndex(), 2) << c.first;
      EXPECT_EQ(seen.text, QString::fromUtf8(c.message));
      test::AnswerNextMessageBox(seen);
    }
    ClickOk();
    EXPECT_EQ(sheet_->isVisible(), *c.message != '\0') << c.first;
  }
  EXPECT_EQ(settings_.HeadCutFirst, 32767);
  EXPECT_EQ(settings_.HeadCutNext, 7);
  EXPECT_TRUE(settings_.HeadCut);
}

TEST_F(SetupSheetTest, HeadCutOfNothingIsStoredOffAndTheCountsFollowTheCheckBox) {
  settings_.HeadCut = false;
  settings_.HeadCutFirst = 5;
  Open(2);
  auto* check = Get<QCheckBox>(ids::kHeadCutCheck);
  auto* first = Get<QLineEdit>(ids::kHeadCutFirstEdit);
  EXPECT_FALSE(first->isEnabled());
  check->click();
  EXPECT_TRUE(first->isEnabled());
  first->setText("0");
  Get<QLineEdit>(ids::kRsDefaultExtEdit)->setText("bin");
  ClickOk();
  EXPECT_FALSE(settings_.HeadCut);
  EXPECT_EQ(settings_.HeadCutFirst, 0);
  EXPECT_EQ(settings_.RsDefaultExt, "bin");
}

TEST_F(SetupSheetTest, OkAtOnceWritesOnlyTheGeneralPage) {
  settings_.HeadCut = true;  // with both counts 0: applying the page would turn it off
  settings_.DivideSizePresets = {{"2048", "mine"}};
  settings_.DefaultPaths.Divide[0] = "/data/";
  settings_.RestoreNo = 9;
  LoadKinds({{"Linux x86-64", {1}}});
  const DivideSettings before = settings_;
  Open();
  Get<QCheckBox>(ids::kEndMessageCheck)->click();
  Get<QLineEdit>(ids::kRemovableDriveEdit)->setText("/media/usb;/run/media/ann/SD");
  ClickOk();
  EXPECT_TRUE(settings_.EndMessage);
  EXPECT_EQ(settings_.RemovableDrive, "/media/usb;/run/media/ann/SD");
  EXPECT_TRUE(settings_.HeadCut);
  EXPECT_EQ(settings_.DivideSizePresets, before.DivideSizePresets);
  EXPECT_EQ(settings_.DefaultPaths.Divide, before.DefaultPaths.Divide);
  EXPECT_EQ(settings_.RestoreNo, 9);
}

class SetupPathPageTest : public SetupSheetTest {
 protected:
  void SetUp() override {
    for (std::size_t i = 0; i < 3; ++i) {
      settings_.DefaultPaths.Divide[i] = "/d" + std::to_string(i) + "/";
      settings_.DefaultPaths.Restore[i] = "/r" + std::to_string(i);
    }
    Open(3);
  }
  void Drop(QListWidget* list, const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths) {
      urls.push_back(QUrl::fromLocalFile(path));
    }
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
  }
};

TEST_F(SetupPathPageTest, DeletingSelectsTheLineAtThatPositionInTheSameList) {
  auto* divide = Get<QListWidget>(ids::kDividePathList);
  auto* restore = Get<QListWidget>(ids::kRestorePathList);
  EXPECT_FALSE(Get<QPushButton>(ids::kRestorePathDelete)->isEnabled());
  restore->setCurrentRow(1);
  EXPECT_TRUE(Get<QPushButton>(ids::kRestorePathEdit)->isEnabled());
  Get<QPushButton>(ids::kRestorePathDelete)->click();
  EXPECT_EQ(Lines(restore), (QStringList{"/r0", "/r2"}));
  EXPECT_EQ(restore->selectedItems().value(0), restore->item(1));
  EXPECT_EQ(Lines(divide), (QStringList{"/d0/", "/d1/", "/d2/"}));
  EXPECT_FALSE(Get<QPushButton>(ids::kDividePathDelete)->isEnabled());
  ClickOk();
  EXPECT_EQ(settings_.DefaultPaths.Restore[1], "/r2");
  EXPECT_EQ(settings_.DefaultPaths.Restore[2], "");
}

TEST_F(SetupPathPageTest, PathsAreAddedAndEditedThroughThePathInputDialog) {
  auto* divide = Get<QListWidget>(ids::kDividePathList);
  bool stayedOpenWhenEmpty = false;
  test::OnNextModal("kv::CPathInputDlg", [&](QWidget* dialog) {
    test::Control<QPushButton>(dialog, ids::kIdOk)->click();
    stayedOpenWhenEmpty = dialog->isVisible();
    // The yen sign the prompt asks for ends a folder as "/" does.
    test::Control<QLineEdit>(dialog, ids::kPathInputEdit)->setText("/home/ann￥");
    test::SavePicture(*dialog, "path_input");
    test::Control<QPushButton>(dialog, ids::kIdOk)->click();
  });
  Get<QPushButton>(ids::kDividePathAdd)->click();
  EXPECT_TRUE(stayedOpenWhenEmpty);
  divide->setCurrentRow(0);
  QString shown;
  QString prompt;
  QString lookIn;
  test::OnNextModal("kv::CPathInputDlg", [&](QWidget* dialog) {
    auto* edit = test::Control<QLineEdit>(dialog, ids::kPathInputEdit);
    shown = edit->text();
    test::OnNextModal("QFileDialog", [&](QWidget* picker) {
      const auto* line = picker->findChild<QLabel*>(QStringLiteral("folderPrompt"));
      prompt = line != nullptr ? line->text() : QString();
      lookIn = picker->findChild<QLabel*>(QStringLiteral("lookInLabel"))->text();
      test::SavePicture(*picker, "folder_browser");
      qobject_cast<QDialog*>(picker)->reject();
    });
    test::Control<QPushButton>(dialog, ids::kPathFolderBrowse)->click();
    edit->setText("/srv/file.bin");
    test::Control<QPushButton>(dialog, ids::kIdOk)->click();
  });
  Get<QPushButton>(ids::kDividePathEdit)->click();
  EXPECT_EQ(shown, "/d0/");
  EXPECT_EQ(prompt, "デフォルトパスを指定してください");
  EXPECT_NE(lookIn, prompt);  // the folder box keeps its short label and its width
  EXPECT_EQ(Lines(divide), (QStringList{"/srv/file.bin", "/d1/", "/d2/", "/home/ann/"}));
}

TEST_F(SetupPathPageTest, DropsAndAddsStopAtFiftyLines) {
  auto* restore = Get<QListWidget>(ids::kRestorePathList);
  std::filesystem::create_directory(dir_.Path() / "folder");
  test::WriteFileBytes(dir_ / "file.d01", {1});
  Drop(restore,
       {QString::fromStdString(dir_ / "folder"), QString::fromStdString(dir_ / "file.d01")});
  ASSERT_EQ(restore->count(), 5);
  EXPECT_EQ(restore->item(3)->text(), QString::fromStdString(dir_ / "folder") + "/");
  EXPECT_EQ(restore->item(4)->text(), QString::fromStdString(dir_ / "file.d01"));

  while (restore->count() < 45) {
    restore->addItem("/x");
  }
  QStringList ten;
  for (int i = 0; i < 10; ++i) {
    ten.push_back(QString::fromStdString(dir_ / "file.d01"));
  }
  Drop(restore, ten);
  EXPECT_EQ(restore->count(), 50);
  test::SeenMessage seen;
  test::AnswerNextMessageBox(seen);
  Get<QPushButton>(ids::kRestorePathAdd)->click();
  EXPECT_EQ(seen.text, "これ以上は追加できません");
  EXPECT_EQ(seen.caption, "Kolvanto");
  EXPECT_EQ(restore->count(), 50);
}

TEST(SetupRefillTest, TheMainWindowBoxesOfferTheNewListsAndKeepTheirTexts) {
  DivideSettings settings = DivideSettings::StoredDefaults();
  settings.DefaultPaths.Divide[0] = "/a/";
  settings.DefaultPaths.Divide[2] = "/after-a-gap/";
  settings.DivideSizePresets = {{"2,048", "small"}, {"空き容量にあわせる", ""}};
  QComboBox source;
  QComboBox destination;
  QComboBox size;
  for (QComboBox* box : {&source, &destination, &size}) {
    box->setEditable(true);
    box->addItem("old");
  }
  size.setEditText("12345");
  source.setEditText("/home/ann/report.doc");
  RefillAfterSetup(settings, source, destination, size);
  EXPECT_EQ(source.count(), 1);
  EXPECT_EQ(source.itemText(0), "/a/");
  EXPECT_EQ(destination.count(), 0);
  ASSERT_EQ(size.count(), 2);
  EXPECT_EQ(size.itemText(1), "空き容量にあわせる");
  EXPECT_EQ(size.currentText(), "12345");
  EXPECT_EQ(source.currentText(), "/home/ann/report.doc");
}

TEST(PathInputTest, TheFolderBrowserStartsWithoutTheTrailingSlashAndReturnsOne) {
  const struct {
    const char* text;
    const char* start;
  } cases[] = {{"/data/", "/data"}, {"/data", "/data"}, {"/", "/"}, {"", ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(FolderBrowseStart(c.text), c.start) << c.text;
  }
  EXPECT_EQ(PickedFolderText("/data"), "/data/");
  EXPECT_EQ(PickedFolderText("/"), "/");
}

}  // namespace
}  // namespace kv
