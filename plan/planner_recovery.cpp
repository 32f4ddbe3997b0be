// The recovery data of a divide started from the window: agreed on before
// the job, computed while its pieces are written when they are known
// beforehand, otherwise read back once they are all on a fixed drive.

#include <cstdlib>

#include "core/job_state.h"
#include "core/prompter.h"
#include "divide/piece_prediction.h"
#include "divide/recovery_tap.h"
#include "plan/divide_recovery.h"
#include "plan/job_planner.h"
#include "plan/plan_texts.h"
#include "plan/recovery_texts.h"
#include "platform/volumes.h"

namespace kv {

namespace {

// Recovery slices past the memory budget wait in a temporary file on a fixed drive.
std::string SpillFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

}  // namespace

bool JobPlanner::RecoveryAgreed(const std::string& dest) {
  recoveryPieces_ = job_.IsDivide ? RecoveryPiecesFor(settings_, 0) : 0;
  // Pieces known beforehand give recovery data computed while they are
  // written; otherwise it is computed from the pieces read back, which
  // removable media may no longer hold once the divide is over.
  if (recoveryPieces_ == 0 || PiecesKnownBeforehand(settings_, job_) ||
      !volumes_.IsOnRemovable(dest, settings_.RemovableDrive)) {
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

void JobPlanner::PrepareRecoveryTap() {
  recoveryTap_.reset();
  if (recoveryPieces_ == 0 || !job_.IsDivide) {
    return;
  }
  std::optional<std::vector<par2::ExpectedFile>> pieces = PredictPieces(settings_, job_, stubs_);
  if (!pieces) {
    return;
  }
  const auto count =
      static_cast<std::uint32_t>(std::min<std::size_t>(recoveryPieces_, pieces->size()));
  auto tap = std::make_unique<RecoveryTap>(std::move(*pieces), count);
  tap->SetWritingStatus(recovery_texts::kWriting);
  if (tap->Start(SpillFolder())) {
    recoveryTap_ = std::move(tap);
  }
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
  if (recoveryReportByCaller_) {
    return false;
  }
  // The recovery slices computed while dividing are let go here.
  const std::unique_ptr<RecoveryTap> tap = std::move(recoveryTap_);
  if (pieces == 0 || job_.Outcome() != JobOutcome::kDone) {
    return false;
  }
  // Computed while dividing: written already, or failed for a cause of its
  // own. Pieces that broke their prediction on a fixed drive are read back instead.
  const bool readBack =
      job_.PiecesOnFixedDrive && (tap == nullptr || tap->Fault() != par2::AccumulatorFault::kNone);
  if (!readBack) {
    recoveryRemark_ = StreamedRecoveryRemark(tap.get(), !job_.PiecesOnFixedDrive);
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
