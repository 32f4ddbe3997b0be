#pragma once
// The command line's side of the job planner: no controls to update, a
// self-restore command that runs once the current one returns.

#include <functional>
#include <utility>

#include "plan/plan_view.h"

namespace kv {

class CliView final : public PlanView {
 public:
  void PullTexts(MainWindowTexts&) override {}
  void ShowTexts(const MainWindowTexts&) override {}
  void SetBusy(bool) override {}
  void AddRecentFile(const std::string&) override {}
  void PostSelfRestoreCommand() override { selfRestorePosted_ = true; }
  // Called as a job starts, before its worker does: the job's first names are its own.
  void StartJobTimer() override {
    if (onJobStart_) {
      onJobStart_();
    }
  }
  void OnJobStart(std::function<void()> call) { onJobStart_ = std::move(call); }
  void StopJobTimer() override {}

  // True once, after the self-restore command was posted.
  bool TakeSelfRestorePosted() {
    const bool posted = selfRestorePosted_;
    selfRestorePosted_ = false;
    return posted;
  }

 private:
  bool selfRestorePosted_ = false;
  std::function<void()> onJobStart_;
};

}  // namespace kv
