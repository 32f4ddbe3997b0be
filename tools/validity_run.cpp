#include "tools/validity_run.h"

#include "core/job_state.h"
#include "tools/validity_check.h"

namespace kv {

void RunCheck(const std::string& folder, const std::vector<CheckTarget>& targets,
              std::atomic<int>& runState, CheckObserver& observer) {
  if (!folder.empty()) {
    const std::string base = folder.back() == '/' ? folder : folder + "/";
    BodySummer summer;
    for (const CheckTarget& target : targets) {
      observer.RowStarted(target.id);
      const CheckVerdict verdict = CheckPieceFile(base + target.name, runState, summer);
      if (verdict == CheckVerdict::kCancelled) {
        break;
      }
      observer.RowJudged(target.id, verdict);
    }
  }
  runState.store(kRunIdle);
}

CheckRun::~CheckRun() {
  RequestCancel();
  Join();
}

bool CheckRun::Start(std::string folder, std::vector<CheckTarget> targets,
                     CheckObserver& observer) {
  if (runState_.load() != kRunIdle) {
    return false;
  }
  Join();  // the previous worker has set Idle; collect its thread
  runState_.store(kRunRunning);
  worker_ = std::thread([this, folder = std::move(folder), targets = std::move(targets),
                         &observer] { RunCheck(folder, targets, runState_, observer); });
  return true;
}

void CheckRun::RequestCancel() {
  // Only a running worker is asked to stop: a request racing with the
  // worker's end must not leave the word away from Idle with no worker.
  int expected = kRunRunning;
  runState_.compare_exchange_strong(expected, kRunCancelRequested);
}

void CheckRun::Join() {
  if (worker_.joinable()) {
    worker_.join();
  }
}

}  // namespace kv
