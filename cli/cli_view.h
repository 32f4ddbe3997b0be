#pragma once
// The command line's side of the job planner: no controls to update, a
// self-restore command that runs once the current one returns.

#include "plan/plan_view.h"

namespace kv {

class CliView final : public PlanView {
 public:
  void PullTexts(MainWindowTexts&) override {}
  void ShowTexts(const MainWindowTexts&) override {}
  void SetBusy(bool) override {}
  void AddRecentFile(const std::string&) override {}
  void PostSelfRestoreCommand() override { selfRestorePosted_ = true; }
  void StartJobTimer() override {}
  void StopJobTimer() override {}

  // True once, after the self-restore command was posted.
  bool TakeSelfRestorePosted() {
    const bool posted = selfRestorePosted_;
    selfRestorePosted_ = false;
    return posted;
  }

 private:
  bool selfRestorePosted_ = false;
};

}  // namespace kv
