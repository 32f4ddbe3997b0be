// Execute (command 1022): the analysis again, the checks, then the job
// published in the job record and its worker started.

#include "core/job_state.h"
#include "core/piece_format.h"
#include "core/stub_data_file.h"
#include "plan/job_planner.h"
#include "plan/plan_texts.h"
#include "plan/plan_view.h"
#include "platform/volumes.h"

namespace kv {

namespace pt = plan_texts;

void JobPlanner::Execute() {
  if (settings_.SelfRestore && executeArmed_ == 1) {
    executeArmed_ = 0;
    view_.PostSelfRestoreCommand();
    return;
  }
  executeArmed_ = 1;
  if (JobActive()) {
    return;
  }
  ExecuteFromAnalysis();
}

void JobPlanner::ExecuteFromAnalysis() {
  AnalyseSource();
  const JobNames names{texts_.source, texts_.destination};
  const std::string kindName =
      job_.SelfRestoreJob ? stubs_.KindName(job_.SelfRestoreKind) : std::string();
  if (!PassesChecks(names, kindName) || !RecoveryAgreed(names.dest) ||
      !Confirmed(names, kindName)) {
    return;
  }
  view_.AddRecentFile(names.source);
  if (!DestinationSettled(names.dest)) {
    return;
  }
  LaunchJob(names);
}

void JobPlanner::EndWithoutJob(JobOutcome outcome) {
  job_.SetOutcome(outcome);
  EndSelfRestore();
}

void JobPlanner::LaunchJob(const JobNames& names) {
  job_.PiecesOnFixedDrive =
      !volumes_.IsOnRemovable(job_.IsDivide ? names.dest : names.source, settings_.RemovableDrive);
  job_.SetJobDest(names.dest);
  recoveryFirstPiece_ = names.dest;
  job_.SetJobSource(names.source);
  PrepareRecoveryTap();

  texts_.progress = 0;
  texts_.progressText = true;
  job_.ResetProgress();
  job_.RunState.store(kRunRunning);
  view_.StartJobTimer();

  WorkerKind kind;
  if (job_.IsDivide) {
    texts_.title = pt::kTitleDividing;
    kind = DivideFormat().RawSlices() ? WorkerKind::kType0Divide : WorkerKind::kTypedDivide;
  } else {
    texts_.title = pt::kTitleRestoring;
    kind = PieceFormatOf(job_.SourceSplitType).RawSlices() ? WorkerKind::kType0Restore
                                                           : WorkerKind::kTypedRestore;
  }
  StartWorker(kind);
  view_.SetBusy(true);
  ShowTexts();
}

void JobPlanner::StartWorker(WorkerKind kind) {
  // The worker reads the settings in force now, whatever the window changes meanwhile.
  snapshot_ = std::make_unique<DivideSettings>(settings_);
  thread_ = std::thread([this, kind] {
    const WorkerContext context{*snapshot_, job_, prompter_, volumes_, stubs_, recoveryTap_.get()};
    worker_(kind, context);
  });
}

}  // namespace kv
