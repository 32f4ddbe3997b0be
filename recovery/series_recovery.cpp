#include "recovery/series_recovery.h"

#include "core/piece_names.h"
#include "recovery/series_pieces.h"

namespace kv::par2 {

std::optional<SetPlace> SetPlaceOf(const std::string& path) {
  const std::string_view name = FileNamePart(path);
  if (!IsRecoveryFileName(name) && RecognisePieceName(name).kind == PieceNameKind::kFileToDivide) {
    return std::nullopt;
  }
  return SetPlace{path.substr(0, FileNameStart(path)), SetNameOf(name)};
}

RepairReport RepairSeries(const SetPlace& place, bool rebuild, RepairHooks hooks) {
  return RepairSet(place.folder, place.setName, rebuild, std::move(hooks));
}

std::vector<std::string> UnsoundFiles(const RepairReport& report) {
  std::vector<std::string> names;
  for (const ExaminedFile& file : report.files) {
    if (file.condition != FileCondition::kIntact) {
      names.push_back(file.name);
    }
  }
  return names;
}

bool Repairable(const RepairReport& report) {
  // Examining without rebuilding reports a solvable set as kRepaired.
  return report.setFound && report.outcome == RepairOutcome::kRepaired;
}

std::uint32_t BlocksLacking(const RepairReport& report) {
  return report.badSlices > report.recoverySlices ? report.badSlices - report.recoverySlices : 0;
}

}  // namespace kv::par2
