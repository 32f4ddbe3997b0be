#include "cli/recovery_status.h"

#include <algorithm>

#include "core/piece_names.h"
#include "recovery/repair.h"
#include "recovery/series_pieces.h"

namespace kv {

std::string RecoveryRemark(const std::string& firstPiece) {
  const std::string folder = firstPiece.substr(0, FileNameStart(firstPiece));
  const par2::RepairReport report =
      par2::RepairSet(folder, SetNameOf(FileNamePart(firstPiece)), false);
  if (!report.setFound || report.outcome == par2::RepairOutcome::kNothingToDo) {
    return "";
  }
  if (report.outcome == par2::RepairOutcome::kRepaired) {
    const auto bad = std::count_if(report.files.begin(), report.files.end(), [](const auto& f) {
      return f.condition != par2::FileCondition::kIntact;
    });
    return ", repairable: " + std::to_string(bad) + " pieces missing, recovery for " +
           std::to_string(report.recoverySlices);
  }
  if (report.badSlices > report.recoverySlices) {
    return ", not repairable: " + std::to_string(report.badSlices - report.recoverySlices) +
           " more recovery blocks needed";
  }
  return ", not repairable";
}

}  // namespace kv
