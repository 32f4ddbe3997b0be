#pragma once
// One run of the validity check: a worker thread that judges the chosen rows
// one by one and reports each row's state, by the row's id, to an observer.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "tools/validity_verdict.h"

namespace kv {

// A stable identity of a row of the check list; it does not change when the
// rows are re-sorted.
using CheckRowId = std::uint64_t;

// A row to be checked: its identity and its file name (without folder).
struct CheckTarget {
  CheckRowId id = 0;
  std::string name;
};

// Receives the progress of a run on the worker thread; implementations hand
// the change to whoever owns the rows.
class CheckObserver {
 public:
  virtual ~CheckObserver() = default;
  // The row's file is about to be checked: show the checking mark and no remark.
  virtual void RowStarted(CheckRowId id) = 0;
  // The row's verdict (never kCancelled: a cancelled row keeps the checking mark).
  virtual void RowJudged(CheckRowId id, CheckVerdict verdict) = 0;
};

// The worker's body: checks each target of `folder` in the given order,
// stops at a kCancelled verdict, and sets `runState` to kRunIdle as its last
// act. An empty folder ends the run at once.
void RunCheck(const std::string& folder, const std::vector<CheckTarget>& targets,
              std::atomic<int>& runState, CheckObserver& observer);

// Owns the run state word and the worker thread of one list's runs.
class CheckRun {
 public:
  CheckRun() = default;
  // Requests a cancel and waits for the worker.
  ~CheckRun();
  CheckRun(const CheckRun&) = delete;
  CheckRun& operator=(const CheckRun&) = delete;

  // Starts a worker unless one is running: the state becomes kRunRunning
  // before the thread starts. `observer` must outlive the run.
  bool Start(std::string folder, std::vector<CheckTarget> targets, CheckObserver& observer);
  // Running → CancelRequested; no effect once the worker has ended.
  void RequestCancel();
  // kRunIdle, kRunRunning or kRunCancelRequested.
  int State() const { return runState_.load(); }
  // Waits until the worker has ended.
  void Join();

 private:
  std::atomic<int> runState_{0};
  std::thread worker_;
};

}  // namespace kv
