#include "plan/series_recovery_commands.h"

#include <vector>

#include "core/job_end.h"
#include "core/text_fill.h"
#include "plan/divide_recovery.h"
#include "plan/recovery_texts.h"
#include "recovery/gf16.h"
#include "recovery/protect_series.h"
#include "recovery/series_pieces.h"
#include "recovery/series_recovery.h"
#include "restore/rebuild_on_the_way.h"

namespace kv {

namespace rt = recovery_texts;

namespace {

// The divide's end texts open with a line break; a box of their own does not.
std::string OwnBox(std::string text) {
  return text.starts_with("\r\n") ? text.substr(2) : text;
}

const char* RefusalText(par2::ProtectRefusal refusal) {
  switch (refusal) {
    case par2::ProtectRefusal::kNotFirstPiece:
      return rt::kNotFirstPiece;
    case par2::ProtectRefusal::kTooManyPieces:
      return rt::kTooManyPieces;
    case par2::ProtectRefusal::kTooMuchRecovery:
      return rt::kTooMuchRecovery;
    case par2::ProtectRefusal::kEmptyPiece:
    case par2::ProtectRefusal::kNone:
      break;
  }
  return rt::kEmptyPiece;
}

// The pieces rebuilt, then the damaged ones kept under another name.
// (each list only when it names any).
std::string RebuiltText(const std::string& folder, const par2::RepairReport& report) {
  std::string text;
  if (!report.rebuilt.empty()) {
    text = NamesText(rt::kRebuilt, folder, report.rebuilt);
  }
  if (!report.keptAs.empty()) {
    text += (text.empty() ? "" : "\r\n") + NamesText(rt::kKeptAs, folder, report.keptAs);
  }
  return text;
}

std::string NotRepairedText(const par2::RepairReport& report) {
  if (report.outcome == par2::RepairOutcome::kNothingToDo) {
    return rt::kNothingToRepair;
  }
  if (report.outcome == par2::RepairOutcome::kNotRepairable) {
    const std::uint32_t lacking = par2::BlocksLacking(report);
    return lacking != 0 ? FormatText(rt::kBlocksLacking, lacking) : rt::kDamageUnsolved;
  }
  const Failure& failure = report.failure;
  return std::string(rt::kRepairFailed) + "\r\n" +
         (failure.error ? FailureText(failure.path, failure.error)
                        : failure.path + ": " + rt::kRebuiltMismatch);
}

}  // namespace

SeriesToProtect ExamineSeriesToProtect(const std::string& firstPiece) {
  SeriesPieces pieces;
  if (!FindSeriesPieces(firstPiece, pieces) || pieces.names.empty()) {
    return {0, rt::kNotFirstPiece};
  }
  if (pieces.names.size() > gf16::kMaxInputSlices) {  // one slice a piece
    return {0, rt::kTooManyPieces};
  }
  return {static_cast<std::uint32_t>(pieces.names.size()), std::nullopt};
}

RecoveryCommandEnd ProtectSeriesCommand(const std::string& firstPiece, std::uint32_t recoverable,
                                        const std::function<bool()>& stopAsked) {
  const par2::ProtectResult result = par2::ProtectSeries(firstPiece, recoverable, stopAsked);
  if (result.refusal != par2::ProtectRefusal::kNone) {
    return {RefusalText(result.refusal), false};
  }
  if (!result.written.done) {
    return {OwnBox(NotWrittenText(result.written.failure)), false};
  }
  return {OwnBox(WrittenText(result.pieces.folder, result.written.written)), true};
}

RecoveryCommandEnd RepairSeriesCommand(const std::string& path, Prompter& prompter,
                                       const std::function<bool()>& stopAsked) {
  const std::optional<par2::SetPlace> place = par2::SetPlaceOf(path);
  if (!place) {
    return {rt::kNotRepairTarget, false};
  }
  bool asked = false;
  bool agreed = false;
  const auto confirm = [&](const par2::RepairReport& examined) {
    asked = true;
    agreed = !stopAsked() && prompter.Ask(RebuildQuestion(examined, kCaption)) == Answer::kYes;
    return agreed;
  };
  const par2::RepairReport report =
      par2::RepairSeries(*place, true, {.stopAsked = stopAsked, .confirm = confirm});
  if (asked && !agreed) {
    // A No says nothing more; a stop says that nothing was rebuilt.
    return {stopAsked() ? rt::kRepairStopped : "", false};
  }
  if (report.outcome == par2::RepairOutcome::kRepaired) {
    return {RebuiltText(place->folder, report), true};
  }
  if (stopAsked() && report.outcome != par2::RepairOutcome::kFailed) {
    return {rt::kRepairStopped, false};
  }
  if (!report.setFound) {
    return {rt::kNoRecoveryData, false};
  }
  std::string text = NotRepairedText(report);
  if (report.outcome == par2::RepairOutcome::kFailed &&
      (!report.rebuilt.empty() || !report.keptAs.empty())) {
    // Pieces already put in place (and damaged ones moved aside) stay so.
    text += "\r\n" + RebuiltText(place->folder, report);
  }
  return {text, report.outcome == par2::RepairOutcome::kNothingToDo};
}

}  // namespace kv
