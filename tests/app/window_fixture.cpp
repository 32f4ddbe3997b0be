#include "tests/app/window_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTest>
#include <thread>

#include "tests/support/stub_data_builder.h"

namespace kv::test {

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "desktop_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    auto* created = new QApplication(argc, argv);
    created->setOrganizationName(QStringLiteral("Orvik Software"));
    created->setApplicationName(QStringLiteral("Kolvanto"));
    return created;
  }();
  (void)app;
}

BoxAnswerer::BoxAnswerer() {
  timer_.setInterval(20);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
}

void BoxAnswerer::Answer(std::initializer_list<QMessageBox::StandardButton> buttons) {
  answers_.insert(answers_.end(), buttons);
  timer_.start();
}

void BoxAnswerer::Tick() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr || !box->isVisible() || answers_.empty()) {
    return;
  }
  seen_.push_back((box->windowTitle() + u'|' + box->text()).toStdString());
  QAbstractButton* button = box->button(answers_.front());
  answers_.pop_front();
  if (button != nullptr) {
    button->click();
  } else {
    box->reject();
  }
}

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
  return QTest::qWaitFor(done, milliseconds);
}

void HeldWorker::operator()(WorkerKind, const WorkerContext& context) const {
  JobState& job = context.job;
  job.SetStatusText("1,024Bytes");
  job.ProgressPermille.store(500);
  while (!release.load() && (job.RunState.load() == kRunRunning || !endOnCancel.load())) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  job.SetJobMessage(job.RunState.load() == kRunRunning ? "分割が終了しました"
                                                       : "分割を中止しました");
  job.ProgressPermille.store(1000);
  job.RunState.store(kRunIdle);
}

WindowFixture::WindowFixture() {
  EnsureApplication();
  store = std::make_unique<SettingsStore>(QString::fromStdString(dir / "store/Kolvanto.ini"));
  settings = DivideSettings::StoredDefaults();
  settings.FDAuto = false;
  volumes.SetFree(0xFFFFFFFFu);
  stubDataFile = dir / "none/Kolvanto.dat";
}

WindowFixture::~WindowFixture() {
  Close();
}

CDivideDlg& WindowFixture::Open(const std::string& initialSource) {
  // Stored FDAuto would ask the machine which media are removable.
  QSettings(store->FileName(), QSettings::IniFormat).setValue("Settings/FDAuto", 0);
  const WindowContext context{settings,     job,    stubs,        *store,       volumes,
                              shell,        worker, stubDataFile, {dir.Path()}, "/usr/bin/kolvanto",
                              initialSource};
  window_ = std::make_unique<CDivideDlg>(context);
  window_->show();
  window_->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  return *window_;
}

void WindowFixture::Close() {
  window_.reset();
}

QAction* WindowFixture::Action(int id) const {
  return window_->findChild<QAction*>(QString::fromStdString("id" + std::to_string(id)));
}

std::string WindowFixture::Text(int id) const {
  QWidget* widget = Control<QWidget>(id);
  if (auto* box = qobject_cast<QComboBox*>(widget)) {
    return box->currentText().toStdString();
  }
  if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    return edit->toPlainText().toStdString();
  }
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    return label->text().toStdString();
  }
  auto* button = qobject_cast<QAbstractButton*>(widget);
  return button != nullptr ? button->text().toStdString() : std::string();
}

void WindowFixture::UseStubData(const std::vector<std::string>& names) {
  std::vector<TestStubKind> kinds;
  for (const std::string& name : names) {
    kinds.push_back({name, std::vector<std::uint8_t>(2048, 0x4D)});
  }
  stubDataFile = dir / "Kolvanto.dat";
  WriteFileBytes(stubDataFile, BuildStubDataFile(2, 1, kinds));
}

}  // namespace kv::test
