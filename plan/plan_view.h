#pragma once
// What only a window can do for the job planner. The desktop main window and
// the command line each implement it; tests record the calls.

#include <string>

#include "plan/main_window_texts.h"

namespace kv {

class PlanView {
 public:
  virtual ~PlanView() = default;
  // Copies the control texts (source, destination, size) into `texts`.
  virtual void PullTexts(MainWindowTexts& texts) = 0;
  // Shows every text of `texts` in the controls and the title.
  virtual void ShowTexts(const MainWindowTexts& texts) = 0;
  // Busy: refuse drops, disable the name, size, update and execute controls,
  // gray the first three menus, the close button reads "キャンセル(&C)".
  // Not busy: all of that undone, the close button reads "閉じる(&C)".
  virtual void SetBusy(bool busy) = 0;
  // Puts `source` at the front of the recent-files list and rebuilds its menu.
  virtual void AddRecentFile(const std::string& source) = 0;
  // Posts the self-restore command (32780) to run after the current one.
  virtual void PostSelfRestoreCommand() = 0;
  // The 50 ms job timer: started by Execute, stopped when the job has ended.
  virtual void StartJobTimer() = 0;
  virtual void StopJobTimer() = 0;
};

}  // namespace kv
