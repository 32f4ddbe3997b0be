#include "dialogs/divide_type_sheet.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "dialogs/command_ids.h"
#include "tests/widget_support/widget_test_support.h"

namespace kv {
namespace {

using test::Control;

// Stands in for the main window: owns the settings, answers the sheet's
// apply step as the main window does and counts the answers.
struct FakeMainWindow {
  DivideSettings settings = DivideSettings::StoredDefaults();
  int applySteps = 0;
  CDivideTypeSheet sheet{nullptr};

  FakeMainWindow() {
    sheet.SetApplyStep([this](CDivideTypeSheet& s) {
      ++applySteps;
      return TakeOverDivideType(s, settings);
    });
  }
  // Opens the sheet without its own event loop.
  void Open() {
    sheet.Load(settings);
    sheet.show();
  }
};

class DivideTypeSheetTest : public ::testing::Test {
 protected:
  template <class Widget>
  Widget* Get(int id) const {
    Widget* widget = Control<Widget>(&window_.sheet, id);
    EXPECT_NE(widget, nullptr) << id;
    return widget;
  }
  QString Description() const { return Get<QLabel>(ids::kTypeDescription)->text(); }
  void ShowType0Page() { window_.sheet.findChild<QTabWidget*>()->setCurrentIndex(1); }
  void ClickOk() { Get<QPushButton>(ids::kIdOk)->click(); }

  mutable FakeMainWindow window_;
};

TEST_F(DivideTypeSheetTest, EachTypeShowsItsDescription) {
  const struct {
    int radio;
    const char* text;
  } cases[] = {
      {ids::kType0Radio,
       "　他のファイル分結ソフトで結合ができるように分割するときに指定してください。このタイプでは"
       "、分割元ファイル名の記憶や、復元時のチェックは行われません。対応できるファイル分結ソフトに"
       "ついては、ヘルプをご覧ください。"},
      {ids::kType1Radio,
       "　ver.1.xで復元ができるように分割するときだけ指定してください。このタイプでも、分割元ファイ"
       "ル名を記憶することはできますが、ロングファイルネームには対応しません。また、復元時のチェッ"
       "クは行われません。"},
      {ids::kType2Radio,
       "　ver.2.xで復元ができるようにするときに指定してください。このタイプでは、分割元ファイル名を"
       "記憶しておく事ができ、また、復元時に分割ファイルが同一のファイルから分割されたものかをチェ"
       "ックします。"},
      {ids::kType3Radio,
       "　通常はこれを指定してください。分割元ファイル名の記憶、誤結合防止、ファイルの正当性チェッ"
       "クなどすべての機能が利用可能な分割タイプです。"},
  };
  window_.settings.DivideType = 3;
  window_.Open();
  EXPECT_TRUE(Get<QRadioButton>(ids::kType3Radio)->isChecked());
  EXPECT_EQ(Description(), QString::fromUtf8(cases[3].text));
  window_.sheet.resize(440, 330);
  test::SavePicture(window_.sheet, "divide_type_page_0");
  for (const auto& c : cases) {
    Get<QRadioButton>(c.radio)->click();
    EXPECT_EQ(Description(), QString::fromUtf8(c.text)) << c.radio;
  }
  ClickOk();
  EXPECT_EQ(window_.settings.DivideType, 3);  // the last click chose Type3 again
}

TEST_F(DivideTypeSheetTest, AnUnknownTypeChecksNothingAndIsStoredAsMinusOne) {
  window_.settings.DivideType = 7;
  window_.Open();
  for (int radio : {ids::kType0Radio, ids::kType1Radio, ids::kType2Radio, ids::kType3Radio}) {
    EXPECT_FALSE(Get<QRadioButton>(radio)->isChecked()) << radio;
  }
  EXPECT_EQ(Description(), "分割タイプが不明です。");
  ClickOk();
  EXPECT_EQ(window_.settings.DivideType, -1);
  EXPECT_FALSE(window_.sheet.isVisible());
}

TEST_F(DivideTypeSheetTest, TheSplitKindEnablesTheStringAndItsTiming) {
  const struct {
    int kind;
    int radio;
    bool stringEnabled;
    bool timingEnabled;
  } cases[] = {{0, ids::kSplitBySizeRadio, false, false},
               {1, ids::kSplitByLineRadio, false, true},
               {2, ids::kSplitByStringRadio, true, true}};
  for (const auto& opened : cases) {
    window_.settings.Type0Type = opened.kind;
    window_.Open();
    ShowType0Page();
    for (const auto& c : cases) {
      if (c.kind != opened.kind && opened.kind != 0) {
        continue;  // clicks are tried from the size kind only
      }
      if (c.kind != opened.kind) {
        Get<QRadioButton>(c.radio)->click();
      }
      EXPECT_EQ(Get<QLineEdit>(ids::kSplitStringEdit)->isEnabled(), c.stringEnabled) << c.kind;
      EXPECT_EQ(Get<QRadioButton>(ids::kBeforeStringRadio)->isEnabled(), c.timingEnabled);
      EXPECT_EQ(Get<QRadioButton>(ids::kAfterStringRadio)->isEnabled(), c.timingEnabled);
      EXPECT_FALSE(Get<QRadioButton>(ids::kWithinSizeRadio)->isEnabled());
      EXPECT_FALSE(Get<QRadioButton>(ids::kAfterSizeRadio)->isEnabled());
    }
  }
}

TEST_F(DivideTypeSheetTest, TheExtensionCaptionsFollowTheAddedCharacter) {
  window_.settings.DivideExtAddC = true;
  window_.settings.DivideExtChar = 'k';
  window_.Open();
  ShowType0Page();
  auto* from000 = Get<QRadioButton>(ids::kExtFrom000Radio);
  auto* from001 = Get<QRadioButton>(ids::kExtFrom001Radio);
  auto* edit = Get<QLineEdit>(ids::kExtCharEdit);
  const auto captions = [&] { return from000->text() + " " + from001->text(); };
  EXPECT_EQ(edit->text(), "k");
  EXPECT_EQ(captions(), "*.k00～ *.k01～");
  window_.sheet.resize(440, 330);
  test::SavePicture(window_.sheet, "divide_type_page_1");
  edit->clear();
  EXPECT_EQ(captions(), "*.?00～ *.?01～");
  edit->setFocus();
  QTest::keyClicks(edit, "QR");  // one character, shown in lower case
  EXPECT_EQ(edit->text(), "q");
  EXPECT_EQ(captions(), "*.q00～ *.q01～");
  Get<QCheckBox>(ids::kExtAddCharCheck)->click();
  EXPECT_FALSE(edit->isEnabled());
  EXPECT_EQ(captions(), "*.000～ *.001～");
}

TEST_F(DivideTypeSheetTest, AType0SeriesWithoutItsAddedCharacterIsRefused) {
  window_.settings.DivideType = 0;
  window_.settings.DivideExtAddC = true;
  window_.settings.DivideExtChar = '\n';  // a stored line feed counts as none
  window_.Open();
  EXPECT_EQ(window_.settings.DivideExtChar, 0);
  window_.settings.DivideString = "before";
  test::SeenMessage seen;
  test::AnswerNextMessageBox(seen);
  ClickOk();
  EXPECT_EQ(seen.text, "分割ファイルの拡張子を指定して下さい");
  EXPECT_EQ(seen.caption, "Kolvanto");
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
  EXPECT_TRUE(window_.sheet.isVisible());
  EXPECT_EQ(window_.sheet.ActiveIndex(), 1);
  EXPECT_EQ(window_.sheet.findChild<QTabWidget*>()->currentIndex(), 1);
  EXPECT_EQ(window_.sheet.focusWidget(), Get<QLineEdit>(ids::kExtCharEdit));
  EXPECT_EQ(window_.settings.DivideString, "before");  // nothing stored

  Get<QRadioButton>(ids::kExtFrom000Radio)->click();
  QTest::keyClicks(Get<QLineEdit>(ids::kExtCharEdit), "x");
  ClickOk();
  EXPECT_FALSE(window_.sheet.isVisible());
  EXPECT_EQ(window_.applySteps, 2);
  EXPECT_EQ(window_.settings.DivideExtChar, 'x');
  EXPECT_EQ(window_.settings.DivideExt, 0);
}

TEST_F(DivideTypeSheetTest, OtherTypesStoreAMissingCharacterAsNone) {
  window_.settings.DivideType = 3;
  window_.settings.DivideExtAddC = true;
  window_.settings.DivideExtChar = 'k';
  window_.Open();
  ShowType0Page();
  Get<QLineEdit>(ids::kExtCharEdit)->clear();
  ClickOk();
  EXPECT_FALSE(window_.sheet.isVisible());
  EXPECT_TRUE(window_.settings.DivideExtAddC);
  EXPECT_EQ(window_.settings.DivideExtChar, 0);
}

TEST_F(DivideTypeSheetTest, AnUnvisitedType0PageKeepsItsValuesAndCancelStoresNothing) {
  window_.settings.Type0Type = 2;
  window_.settings.TimingString = 0;
  window_.settings.TimingSize = 1;
  window_.settings.DivideString = "----";
  window_.settings.DivideExt = 0;
  window_.settings.DivideExtChar = 'z';
  const DivideSettings before = window_.settings;
  window_.Open();
  Get<QRadioButton>(ids::kType0Radio)->click();
  Get<QPushButton>(ids::kIdCancel)->click();
  EXPECT_EQ(window_.applySteps, 0);
  EXPECT_EQ(window_.settings.DivideType, before.DivideType);

  window_.Open();  // the kept sheet starts again on " 全般 "
  EXPECT_EQ(window_.sheet.ActiveIndex(), 0);
  ClickOk();
  EXPECT_EQ(window_.settings.Type0Type, 2);
  EXPECT_EQ(window_.settings.TimingString, 0);
  EXPECT_EQ(window_.settings.TimingSize, 1);
  EXPECT_EQ(window_.settings.DivideString, "----");
  EXPECT_EQ(window_.settings.DivideExt, 0);
  EXPECT_EQ(window_.settings.DivideExtChar, 'z');
}

}  // namespace
}  // namespace kv
