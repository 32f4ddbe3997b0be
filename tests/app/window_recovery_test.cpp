// The tools menu's recovery commands over a real series: the file chosen
// and the answers given in the window's own dialogs and boxes.

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QThread>
#include <filesystem>

#include "app/recovery_progress.h"
#include "tests/app/window_fixture.h"

namespace kv::test {
namespace {

namespace fs = std::filesystem;

struct RecoveryCase {
  const char* name;
  const char* recovery;  // the divide's --recovery
  std::vector<const char*> removed;
  const char* damaged;  // a piece whose first bytes are overwritten, or null
  int command;
  const char* chosen;
  const char* count;  // typed into the count field, when it is asked
  std::vector<QMessageBox::StandardButton> answers;
  std::vector<std::string> seen;    // "@" stands for the series' folder
  std::vector<const char*> after;   // files there afterwards
  std::vector<const char*> absent;  // files not there afterwards
};

class WindowRecoveryTest : public WindowFixture,
                           public ::testing::WithParamInterface<RecoveryCase> {
 protected:
  // Answers the file dialog and the count field as they open.
  void Drive(const RecoveryCase& c) {
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (modal == nullptr || qobject_cast<QProgressDialog*>(modal) != nullptr ||
        qobject_cast<QMessageBox*>(modal) != nullptr) {
      return;
    }
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
      files->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(dir / c.chosen));
      modal->accept();
    } else if (auto* field = modal->findChild<QLineEdit*>("id1125")) {
      driven.push_back(modal->windowTitle().toStdString() + "|" + field->text().toStdString());
      field->setText(QString::fromUtf8(c.count));
      modal->findChild<QDialogButtonBox*>()->buttons().front()->click();
    }
  }
  std::vector<std::string> driven;
};

TEST_P(WindowRecoveryTest, ACommandOfTheToolsMenu) {
  const RecoveryCase& c = GetParam();
  QSettings(store->FileName(), QSettings::IniFormat).setValue("Settings/RecoveryPieces", 2);
  WriteFileBytes(dir / "report.doc", RandomBytes(3000000, 11));
  QProcess cli;
  cli.setStandardInputFile(QProcess::nullDevice());
  cli.start(QStringLiteral(KV_CLI_PATH), {"divide", QString::fromStdString(dir / "report.doc"),
                                          "-y", "--defaults", "--recovery", c.recovery});
  ASSERT_TRUE(cli.waitForFinished(60000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  const std::vector<std::uint8_t> second = ReadFileBytes(dir / "report.d02");
  const std::vector<std::uint8_t> third = ReadFileBytes(dir / "report.d03");
  for (const char* piece : c.removed) {
    fs::remove(dir / piece);
  }
  if (c.damaged != nullptr) {
    std::vector<std::uint8_t> bytes = ReadFileBytes(dir / c.damaged);
    bytes[10] ^= 0xff;
    fs::remove(dir / c.damaged);
    WriteFileBytes(dir / c.damaged, bytes);
  }
  Open();
  auto* tools = window_->findChild<QMenu*>(QStringLiteral("menu3"));
  QStringList items;
  for (QAction* action : tools->actions()) {
    items << action->text();
  }
  EXPECT_EQ(items.join(u'|'),
            "正当性チェック(&C)...|修復データの作成(&P)...|修復データで修復(&R)...");
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] { Drive(c); });
  driver.start(20);
  for (QMessageBox::StandardButton answer : c.answers) {
    boxes.Answer({answer});
  }
  Action(c.command)->trigger();
  std::vector<std::string> seen;
  for (std::string box : c.seen) {
    for (std::size_t at = box.find('@'); at != std::string::npos; at = box.find('@', at)) {
      box.replace(at, 1, dir.Path().string());
    }
    seen.push_back(box);
  }
  EXPECT_EQ(boxes.Seen(), seen);
  if (c.command == 32791 && c.count != nullptr) {
    EXPECT_EQ(driven, std::vector<std::string>{"修復データの作成|2"});
  }
  for (const char* name : c.after) {
    EXPECT_TRUE(fs::exists(dir / name)) << name;
  }
  for (const char* name : c.absent) {
    EXPECT_FALSE(fs::exists(dir / name)) << name;
  }
  if (!c.removed.empty() && !c.absent.empty()) {
    return;  // nothing was rebuilt
  }
  EXPECT_EQ(ReadFileBytes(dir / "report.d02"), second);
  EXPECT_EQ(ReadFileBytes(dir / "report.d03"), third);
}

const char* kRebuild = "Kolvanto|修復データから report.d02 を作り直しますか？";

// One row a case: the divide's recovery, the pieces removed and damaged, the
// command, the file chosen, the count typed, the answers, the boxes, the files
// there afterwards and those not there.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, WindowRecoveryTest, ::testing::Values(
    RecoveryCase{"Protect", "0", {}, nullptr, 32791, "report.d01", "2", {QMessageBox::Ok},
        {"Kolvanto|修復データを作成しました：\n@/report.par2\n@/report.vol0+1.par2\n@/report.vol1+1.par2"},
        {"report.par2", "report.vol0+1.par2", "report.vol1+1.par2"}, {}},
    RecoveryCase{"ProtectRefusesASecondPiece", "0", {}, nullptr, 32791, "report.d02", nullptr,
        {QMessageBox::Ok}, {"Kolvanto|修復データを作成できません。\n"
        "最初の分割ファイル（*.d01、*.000、*.001、*.exe など）を指定してください。"}, {}, {"report.par2"}},
    RecoveryCase{"ProtectRefusesAnIncompleteSeries", "0", {"report.d03"}, nullptr, 32791, "report.d01",
        nullptr, {QMessageBox::Ok}, {"Kolvanto|分割ファイルがそろっていないため、修復データを作成できません。\n"
        "欠けている分割ファイルは修復データでは作り直せません。"}, {}, {"report.par2", "report.d03"}},
    RecoveryCase{"RepairYes", "1", {"report.d02"}, nullptr, 32792, "report.d01", nullptr,
        {QMessageBox::Yes, QMessageBox::Ok},
        {kRebuild, "Kolvanto|次のファイルを作り直しました：\n@/report.d02"}, {"report.d02"}, {}},
    RecoveryCase{"RepairNo", "1", {"report.d02"}, nullptr, 32792, "report.par2", nullptr,
        {QMessageBox::No}, {kRebuild}, {}, {"report.d02"}},
    RecoveryCase{"RepairKeepsTheDamagedPiece", "1", {}, "report.d03", 32792, "report.d01", nullptr,
        {QMessageBox::Yes, QMessageBox::Ok}, {"Kolvanto|修復データから report.d03 を作り直しますか？",
        "Kolvanto|次のファイルを作り直しました：\n@/report.d03\n壊れていたファイルは次の名前で残しました：\n"
        "@/report.d03.1"}, {"report.d03.1"}, {}},
    RecoveryCase{"NothingToRepair", "1", {}, nullptr, 32792, "report.par2", nullptr, {QMessageBox::Ok},
        {"Kolvanto|修復の必要はありません。すべてのファイルが揃っています。"}, {}, {}},
    RecoveryCase{"NotRepairable", "1", {"report.d02", "report.d03"}, nullptr, 32792, "report.d01",
        nullptr, {QMessageBox::Ok}, {"Kolvanto|修復データが足りません。あと 1 個の修復ブロックが必要です。"},
        {}, {"report.d02", "report.d03"}}),
    [](const auto& test) { return std::string(test.param.name); });
// clang-format on

TEST(RecoveryProgressTest, TheCancelButtonStopsTheWorkAndTheWindowGoesOn) {
  EnsureApplication();
  QWidget owner;
  owner.show();
  QString label;
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(10);
  QTimer::singleShot(300, [&] {
    if (auto* box = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
      label = box->labelText();
      box->findChild<QPushButton*>()->click();
    }
  });
  bool stopped = false;
  RunWithProgress(&owner, QStringLiteral("修復データを作成しています"),
                  [&](const std::function<bool()>& stopAsked) {
                    for (int i = 0; i < 1000 && !stopped; ++i) {
                      stopped = stopAsked();
                      QThread::msleep(10);
                    }
                  });
  EXPECT_TRUE(stopped);
  EXPECT_EQ(label.toStdString(), "修復データを作成しています");
  EXPECT_GT(ticks, 10);  // the user interface thread ran meanwhile
}

}  // namespace
}  // namespace kv::test
