// The job planner's life and the job it follows: the job timer and cancel.

#include "plan/job_planner.h"

#include "core/job_end.h"
#include "core/job_state.h"
#include "core/job_texts.h"
#include "core/prompter.h"
#include "core/text_fill.h"
#include "divide/recovery_tap.h"
#include "plan/plan_texts.h"
#include "plan/plan_view.h"
#include "restore/restore_output.h"

namespace kv {

namespace pt = plan_texts;

JobPlanner::JobPlanner(DivideSettings& settings, JobState& job, StubDataFile& stubs,
                       Prompter& prompter, Volumes& volumes, PlanView& view, WorkerEntry worker,
                       CodePageToUtf8 fromCodePage)
    : settings_(settings),
      job_(job),
      stubs_(stubs),
      prompter_(prompter),
      volumes_(volumes),
      view_(view),
      worker_(std::move(worker)),
      fromCodePage_(fromCodePage) {}

JobPlanner::~JobPlanner() {
  if (recoveryThread_.joinable()) {
    recoveryThread_.join();
  }
  if (thread_.joinable()) {
    int running = kRunRunning;
    job_.RunState.compare_exchange_strong(running, kRunCancelRequested);
    thread_.join();
  }
}

bool JobPlanner::JobActive() const {
  return job_.RunState.load() != kRunIdle || thread_.joinable();
}

void JobPlanner::ShowTexts() {
  view_.ShowTexts(texts_);
}

bool JobPlanner::OnJobTimer() {
  if (!thread_.joinable()) {
    return false;
  }
  int hold = job_.ProgressHold.load();
  if (hold != kProgressHeld) {
    texts_.statusField = job_.StatusText();
    texts_.progress = job_.ProgressPermille.load();
    if (hold > kProgressHeld) {
      // A worker's newer value wins over the count-down.
      job_.ProgressHold.compare_exchange_strong(hold, hold - 1);
    }
  }
  const bool message = job_.MessageChanged.exchange(false);
  const bool dest = job_.DestChanged.exchange(false);
  const bool source = job_.SourceNameChanged.exchange(false);
  if (message || dest || source) {
    texts_.information = job_.JobMessage();
    texts_.destination = job_.JobDest();
    texts_.source = job_.JobSource();
  }
  if (job_.RunState.load() != kRunIdle || WritingRecovery()) {
    ShowTexts();
    return true;
  }
  EndJob();
  return false;
}

void JobPlanner::EndJob() {
  thread_.join();
  snapshot_.reset();
  texts_.statusField = job_.StatusText();
  texts_.progress = job_.ProgressPermille.load();
  texts_.title = pt::kTitleEnded;
  SettleReplacedOutput();
  texts_.information = job_.JobMessage();
  // The fixed text first, then what the system said and of which file.
  if (const std::string cause = FailureCause(job_); !cause.empty()) {
    texts_.information += "\r\n" + cause;
  }
  if (const std::string beside = job_.OutputBeside(); !beside.empty()) {
    texts_.information += FillText(pt::kOutputKeptBeside, beside);
  }
  texts_.information += recoveryRemark_;
  recoveryRemark_.clear();
  view_.StopJobTimer();
  ShowTexts();
  if (settings_.EndMessage) {
    prompter_.Ask(
        MakeMessage(texts_.information, Buttons::kOk, Icon::kInformation, pt::kEndCaption));
  }
  view_.SetBusy(false);
  EndSelfRestore();
}

void JobPlanner::SettleReplacedOutput() {
  if (!job_.OutputBeside().empty() && !PutRestoredOutputInPlace(job_, restoreComplete_())) {
    prompter_.Ask(MakeMessage(texts::kIoError, Buttons::kOk, Icon::kStop));
  }
}

CancelOutcome JobPlanner::Cancel() {
  // The recovery files of a finished divide are written whole, never cut off.
  if (recoveryThread_.joinable()) {
    return CancelOutcome::kIgnored;
  }
  int running = kRunRunning;
  if (job_.RunState.compare_exchange_strong(running, kRunCancelRequested)) {
    return CancelOutcome::kCancelRequested;
  }
  return running == kRunCancelRequested ? CancelOutcome::kIgnored : CancelOutcome::kClose;
}

}  // namespace kv
