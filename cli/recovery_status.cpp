#include "cli/recovery_status.h"

#include "core/piece_names.h"
#include "recovery/series_pieces.h"
#include "recovery/series_recovery.h"

namespace kv {

std::string RecoveryRemark(const std::string& firstPiece) {
  const par2::SetPlace place{firstPiece.substr(0, FileNameStart(firstPiece)),
                             SetNameOf(FileNamePart(firstPiece))};
  const par2::RepairReport report = par2::RepairSeries(place, false);
  if (!report.setFound || report.outcome == par2::RepairOutcome::kNothingToDo) {
    return "";
  }
  if (par2::Repairable(report)) {
    return ", repairable: " + std::to_string(par2::UnsoundFiles(report).size()) +
           " pieces missing, recovery for " + std::to_string(report.recoverySlices);
  }
  if (const std::uint32_t lacking = par2::BlocksLacking(report)) {
    return ", not repairable: " + std::to_string(lacking) + " more recovery blocks needed";
  }
  return ", not repairable";
}

}  // namespace kv
