#pragma once
// The application object: records the command-line switches, knows where the
// settings file and the stub data file live, and runs the main window until
// it closes. Owns the records every part of the program shares.

#include <QApplication>
#include <string>

#include "app/desktop_shell_actions.h"
#include "core/divide_settings.h"
#include "core/job_state.h"
#include "core/stub_data_file.h"
#include "plan/command_line.h"
#include "platform/volumes.h"
#include "settings/settings_store.h"

namespace kv {

class CDivideApp final : public QApplication {
 public:
  CDivideApp(int& argc, char** argv);

  // Runs the main window until it closes; the process then ends with the result.
  int InitInstance();

  const CommandLineSwitches& Switches() const { return switches_; }

 private:
  CommandLineSwitches switches_;
  std::string tail_;
  DivideSettings settings_;
  JobState job_;
  StubDataFile stubs_;
  SettingsStore store_;
  SystemVolumes volumes_;
  DesktopShellActions shell_{volumes_};
};

}  // namespace kv
