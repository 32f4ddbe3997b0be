// The percentage progress bar: what it draws and when it redraws.

#include <gtest/gtest.h>

#include <QEvent>
#include <QTest>

#include "tests/app/window_fixture.h"
#include "tools/percent_progress_ctrl.h"

namespace kv::test {
namespace {

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
 public:
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    count += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
};

class ProgressCtrlTest : public ::testing::Test, private ApplicationFirst {
 protected:
  ProgressCtrlTest() {
    bar.SetRange(0, 1000);
    bar.resize(200, 16);
    bar.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&bar));
    bar.installEventFilter(&paints);
  }
  CPercentProgressCtrl bar;
  PaintCounter paints;
};

TEST_F(ProgressCtrlTest, WidthAndTextOfPositions) {
  struct Case {
    int position;
    int width;
    const char* text;
  };
  const Case cases[] = {{0, 0, "0%"}, {505, 101, "50%"}, {999, 199, "99%"}, {1000, 200, "100%"}};
  for (const Case& c : cases) {
    bar.SetPos(c.position);
    EXPECT_EQ(bar.BarWidth(), c.width) << c.position;
    EXPECT_EQ(bar.DisplayText().toStdString(), c.text) << c.position;
  }
}

TEST_F(ProgressCtrlTest, RedrawsOnlyWhenTheFilledWidthChanges) {
  struct Step {
    int position;
    bool resizeFirst;
    bool redraws;
  };
  const Step steps[] = {{505, false, true},
                        {506, false, false},  // still 101 pixels
                        {510, false, true},
                        {510, true, true},  // a resize forgets the width drawn last
                        {510, false, false}};
  for (const Step& step : steps) {
    if (step.resizeFirst) {
      bar.resize(200, 18);
      QTest::qWait(20);
    }
    paints.count = 0;
    bar.SetPos(step.position);
    EXPECT_EQ(paints.count > 0, step.redraws) << step.position;
  }
  EXPECT_EQ(bar.SetPos(7), 510);
}

TEST_F(ProgressCtrlTest, AWindowTextTakesThePlaceOfThePercentage) {
  bar.SetPos(505);
  bar.SetWindowText(QStringLiteral("abc"));
  EXPECT_EQ(bar.DisplayText(), "abc");
  QTest::qWait(20);
  paints.count = 0;
  bar.SetWindowText(QStringLiteral("abc"));
  QTest::qWait(20);
  EXPECT_EQ(paints.count, 0);
  bar.SetWindowText({});
  EXPECT_EQ(bar.DisplayText(), "50%");
}

TEST_F(ProgressCtrlTest, TheTextReadsOnEveryPaletteAndTheIdleBarHasAFrame) {
  struct Case {
    const char* name;
    QRgb highlight, button, overBar, overBackground;
  };
  // The inverse of the highlight where it reads (navy), black or white where it does not;
  // the dark theme's information field and list rows take the palette's own text colours.
  const Case cases[] = {{"classic", 0x000080, 0xC0C0C0, 0xFFFF7F, 0x000080},
                        {"Fusion", 0x308CC6, 0xEFEFEF, 0x000000, 0x000000},
                        {"Breeze", 0x3DAEE9, 0xEFF0F1, 0x000000, 0x000000},
                        {"dark", 0x2A82DA, 0x353535, 0x000000, 0xFFFFFF}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QPalette palette = bar.palette();
    palette.setColor(QPalette::Highlight, QColor::fromRgb(c.highlight));
    palette.setColor(QPalette::Button, QColor::fromRgb(c.button));
    palette.setColor(QPalette::Mid, QColor::fromRgb(0x808080));
    bar.setPalette(palette);
    EXPECT_EQ(bar.TextOverBar().rgb() & 0xFFFFFF, c.overBar);
    EXPECT_EQ(bar.TextOverBackground().rgb() & 0xFFFFFF, c.overBackground);
    bar.SetPos(0);
    const QImage idle = bar.grab().toImage();
    EXPECT_EQ(idle.pixel(0, 0) & 0xFFFFFF, 0x808080u);
    EXPECT_EQ(idle.pixel(idle.width() - 1, idle.height() - 1) & 0xFFFFFF, 0x808080u);
    EXPECT_EQ(idle.pixel(idle.width() / 2, 1) & 0xFFFFFF, c.button);
  }
}

}  // namespace
}  // namespace kv::test
