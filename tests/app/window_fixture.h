#pragma once
// The main window over real files in a temporary folder, its own settings
// file, a shell double that records the copies it is asked to start, and a
// helper that answers the window's real message boxes.

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/divide_dlg.h"
#include "core/job_state.h"
#include "core/stub_data_file.h"
#include "platform/shell_actions.h"
#include "settings/settings_store.h"
#include "tests/support/fake_volumes.h"
#include "tests/support/temp_dir.h"

class QAction;

namespace kv::test {

// Creates the one QApplication of the test program on first use.
void EnsureApplication();

// A base of fixtures whose members are widgets: the application exists first.
struct ApplicationFirst {
  ApplicationFirst() { EnsureApplication(); }
};

class RecordingShell final : public ShellActions {
 public:
  bool OpenFolder(const std::string& path) override {
    folders.push_back(path);
    return true;
  }
  bool CanOpenDiskUtility() override { return false; }
  bool OpenDiskUtility(const std::string&) override { return false; }
  bool StartCopy(const std::string& program, const std::string& file) override {
    copies.push_back(program + " " + file);
    return true;
  }
  std::vector<std::string> copies;
  std::vector<std::string> folders;
};

// Answers the modal message boxes as they open, in order, and records them
// as "caption|text".
class BoxAnswerer {
 public:
  BoxAnswerer();
  void Answer(std::initializer_list<QMessageBox::StandardButton> buttons);
  const std::vector<std::string>& Seen() const { return seen_; }

 private:
  void Tick();
  QTimer timer_;
  std::deque<QMessageBox::StandardButton> answers_;
  std::vector<std::string> seen_;
};

// Waits while the window's events run; false when `done` never came true.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 20000);

class WindowFixture : public ::testing::Test {
 protected:
  WindowFixture();
  ~WindowFixture() override;

  // Opens the window with the context as set up by the test.
  CDivideDlg& Open(const std::string& initialSource = {});
  void Close();
  QAction* Action(int id) const;
  template <typename Widget>
  Widget* Control(int id) const {
    return window_->findChild<Widget*>(QString::fromStdString("id" + std::to_string(id)));
  }
  std::string Text(int id) const;  // a control's text or current text
  // Writes a stub data file with kinds named `names` and uses it.
  void UseStubData(const std::vector<std::string>& names);

  TempDir dir;
  DivideSettings settings;
  JobState job;
  StubDataFile stubs;
  std::unique_ptr<SettingsStore> store;
  FakeVolumes volumes;
  RecordingShell shell;
  WorkerEntry worker;
  std::string stubDataFile;
  BoxAnswerer boxes;
  std::unique_ptr<CDivideDlg> window_;
};

// A worker double: runs until released or cancelled, then ends with the
// divide texts of the real workers.
struct HeldWorker {
  std::atomic<bool> release{false};
  // When false, a cancelled job still waits for the release before it ends.
  std::atomic<bool> endOnCancel{true};
  void operator()(WorkerKind, const WorkerContext& context) const;
};

}  // namespace kv::test
