// The recovery data of a divide started from the window: agreed on before
// the job, written once its pieces are all on disk.

#include "core/job_state.h"
#include "core/prompter.h"
#include "plan/divide_recovery.h"
#include "plan/job_planner.h"
#include "plan/plan_texts.h"
#include "plan/recovery_texts.h"
#include "platform/volumes.h"

namespace kv {

bool JobPlanner::RecoveryAgreed(const std::string& dest) {
  recoveryPieces_ = job_.IsDivide ? RecoveryPiecesFor(settings_, 0) : 0;
  // The recovery data is computed from the pieces read back, which removable
  // media may no longer hold once the divide is over.
  if (recoveryPieces_ == 0 || !volumes_.IsOnRemovable(dest, settings_.RemovableDrive)) {
    return true;
  }
  recoveryPieces_ = 0;
  if (prompter_.Ask(MakeMessage(MessageKind::kQuestion, recovery_texts::kOnRemovable,
                                Buttons::kYesNo, Icon::kQuestion, plan_texts::kConfirmCaption)) !=
      Answer::kYes) {
    EndWithoutJob(JobOutcome::kCancelled);
    return false;
  }
  return true;
}

bool JobPlanner::WritingRecovery() {
  if (recoveryThread_.joinable()) {
    if (!recoveryWritten_.load()) {
      return true;
    }
    recoveryThread_.join();
    // The end shows what the divide moved.
    job_.SetStatusText(statusAfterDivide_);
    return false;
  }
  const std::uint32_t pieces = recoveryPieces_;
  recoveryPieces_ = 0;
  if (pieces == 0 || job_.Outcome() != JobOutcome::kDone) {
    return false;
  }
  statusAfterDivide_ = job_.StatusText();
  job_.SetStatusText(recovery_texts::kWriting);
  recoveryWritten_.store(false);
  recoveryThread_ = std::thread([this, pieces, first = recoveryFirstPiece_] {
    recoveryRemark_ = ProtectDividedSeries(first, pieces);
    recoveryWritten_.store(true);
  });
  return true;
}

}  // namespace kv
