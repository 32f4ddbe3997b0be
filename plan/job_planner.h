#pragma once
// The job planner of the main window: the source analysis, Execute with its
// self-restore commands, the job timer and cancel. Toolkit-free: it works on
// MainWindowTexts and asks a PlanView for what only a window can do. Runs on
// the user interface thread; the worker runs on a thread the planner owns.

#include <memory>
#include <thread>

#include "core/divide_settings.h"
#include "core/job_state.h"
#include "plan/main_window_texts.h"
#include "plan/worker_launch.h"

namespace kv {

class Prompter;
class Volumes;
class StubDataFile;
class PlanView;

// What the close command (button 2) turned into.
enum class CancelOutcome {
  kCancelRequested,  // a running job was asked to stop
  kIgnored,          // a stop is already pending: wait for the worker to end
  kClose,            // no job runs: the window may close
};

class JobPlanner {
 public:
  JobPlanner(DivideSettings& settings, JobState& job, StubDataFile& stubs, Prompter& prompter,
             Volumes& volumes, PlanView& view, WorkerEntry worker);
  // Asks a worker still running to stop and waits for it.
  ~JobPlanner();
  JobPlanner(const JobPlanner&) = delete;
  JobPlanner& operator=(const JobPlanner&) = delete;

  MainWindowTexts& Texts() { return texts_; }
  const MainWindowTexts& Texts() const { return texts_; }

  // Classifies the source, describes the job and proposes a destination.
  void AnalyseSource();

  // Command 1022.
  void Execute();
  // Command 32780: a self-restoring divide with the default kind.
  void CreateSelfRestoring();
  // Commands 101..106: a self-restoring divide with kind k.
  void CreateSelfRestoringKind(int kind);
  // Timer 1. True while the job still runs.
  bool OnJobTimer();
  // Command 2.
  CancelOutcome Cancel();

  // True from the start of a worker until the timer has seen its end.
  bool JobActive() const;
  int ExecuteArmed() const { return executeArmed_; }

 private:
  void ExecuteFromAnalysis();
  void SelfRestoreStart(int kind);
  // Ending without a job, refused or declined: a prepared self-restore job is undone.
  void EndWithoutJob(JobOutcome outcome);
  // A self-restore command is over: the divide type it swapped is put back.
  void EndSelfRestore();
  void Refuse(const std::string& text, const char* caption);
  bool SelfRestoring() const;
  void StartWorker(WorkerKind kind);
  void ShowTexts();

  DivideSettings& settings_;
  JobState& job_;
  StubDataFile& stubs_;
  Prompter& prompter_;
  Volumes& volumes_;
  PlanView& view_;
  WorkerEntry worker_;
  MainWindowTexts texts_;
  int executeArmed_ = 1;
  // A self-restore command started the current Execute; kept until the command
  // has ended, whatever the analysis finds the source to be.
  bool selfRestoreAsked_ = false;

  // The running job: the settings in force when it started, and its thread.
  std::unique_ptr<DivideSettings> snapshot_;
  std::thread thread_;
};

}  // namespace kv
