#include "cli/recovery_command.h"

#include <atomic>
#include <cstdio>

#include "cli/terminal.h"
#include "cli/terminal_escape.h"
#include "core/job_state.h"
#include "core/piece_names.h"
#include "divide/recovery_tap.h"
#include "recovery/protect_series.h"
#include "recovery/series_recovery.h"
#include "tools/series_walk.h"

namespace kv {

namespace {

constexpr int kDone = 0;
constexpr int kNotDone = 1;
constexpr int kRefused = 2;

int ShowFailure(const char* command, const Failure& failure) {
  std::fprintf(
      stderr, "%s: %s: %s\n", command, EscapeForTerminal(failure.path).c_str(),
      failure.error ? failure.error.message().c_str() : "does not match the recovery data");
  return kNotDone;
}

const char* RefusalText(par2::ProtectRefusal refusal) {
  switch (refusal) {
    case par2::ProtectRefusal::kNotFirstPiece:
      return "not the first piece of a series";
    case par2::ProtectRefusal::kTooManyPieces:
      return "more than 32768 pieces";
    case par2::ProtectRefusal::kTooMuchRecovery:
      return "more recovery than pieces";
    default:
      return "a piece holds no bytes";
  }
}

// The recovery files written, then what they protect.
void ShowProtected(const std::string& folder, const std::vector<std::string>& written,
                   std::size_t pieces, std::uint32_t recoverable, std::uint64_t sliceSize) {
  for (const std::string& name : written) {
    std::printf("%s\n", EscapeForTerminal(folder + name).c_str());
  }
  std::printf("%zu pieces protected, any %u can be rebuilt (slice %s bytes)\n", pieces, recoverable,
              FormatGrouped(static_cast<std::int64_t>(sliceSize)).c_str());
}

// The damaged pieces kept under another name, then the pieces rebuilt.
void ShowRebuilt(const std::string& folder, const par2::RepairReport& report) {
  for (const std::string& kept : report.keptAs) {
    std::printf("kept: %s\n", EscapeForTerminal(folder + kept).c_str());
  }
  for (const std::string& rebuilt : report.rebuilt) {
    std::printf("rebuilt: %s\n", EscapeForTerminal(folder + rebuilt).c_str());
  }
}

void ShowExamined(const std::string& folder, const par2::RepairReport& report) {
  for (const par2::ExaminedFile& file : report.files) {
    if (file.condition != par2::FileCondition::kIntact) {
      std::printf("%s: %s\n",
                  file.condition == par2::FileCondition::kMissing ? "missing" : "damaged",
                  EscapeForTerminal(folder + file.name).c_str());
    }
  }
}

// Writes the set and says how it went. A Ctrl+C gives the set up, leaving
// none of its files; the caller has put an interrupt guard in place.
int ProtectAndReport(const std::string& firstPiece, std::uint32_t recoverable) {
  const par2::ProtectResult result =
      par2::ProtectSeries(firstPiece, recoverable, InterruptRequested);
  if (result.refusal != par2::ProtectRefusal::kNone) {
    std::fprintf(stderr, "protect: %s: %s\n", EscapeForTerminal(firstPiece).c_str(),
                 RefusalText(result.refusal));
    return kRefused;
  }
  if (!result.written.done) {
    return ShowFailure("protect", result.written.failure);
  }
  ShowProtected(result.pieces.folder, result.written.written, result.pieces.names.size(),
                recoverable, result.sliceSize);
  return kDone;
}

}  // namespace

RecoveryCommands::RecoveryCommands(CLI::App& app)
    : protect_(
          app.add_subcommand("protect", "Add PAR2 recovery files beside a series already on disk")),
      repair_(app.add_subcommand("repair",
                                 "Rebuild missing and damaged pieces from PAR2 recovery files")) {
  protect_->add_option("FIRST_PIECE", path_, "First piece of the series")->required();
  protect_->add_option("--recovery", recoverable_, "How many pieces can be rebuilt")
      ->required()
      ->check(CLI::Range(0, 32768));
  repair_->add_option("PATH", path_, "First piece of the series, or a .par2 file")->required();
}

std::optional<int> RecoveryCommands::RunParsed() const {
  if (protect_->parsed()) {
    return RunProtectCommand(path_, recoverable_);
  }
  if (repair_->parsed()) {
    return RunRepairCommand(path_);
  }
  return std::nullopt;
}

int RunProtectCommand(const std::string& firstPiece, std::uint32_t recoverable) {
  if (const std::optional<SeriesSummary> series = IncompleteSeries(firstPiece)) {
    std::fprintf(stderr, "protect: %s; recovery data would not cover the missing pieces\n",
                 EscapeForTerminal(FormatSeriesLine(*series)).c_str());
    return kRefused;
  }
  std::atomic<int> runState{kRunRunning};
  const InterruptGuard interrupts(runState);
  return ProtectAndReport(firstPiece, recoverable);
}

int ReportDivideRecovery(const RecoveryTap* tap, const std::string& firstPiece,
                         std::uint32_t recoverable, bool piecesOnFixedDrive) {
  if (tap != nullptr && tap->Written()) {
    ShowProtected(
        tap->Folder(), tap->Outcome().written, tap->PieceCount(),
        std::min<std::uint32_t>(recoverable, static_cast<std::uint32_t>(tap->PieceCount())),
        tap->SliceSize());
    return kDone;
  }
  if (piecesOnFixedDrive && (tap == nullptr || tap->Fault() != par2::AccumulatorFault::kNone)) {
    // Still under the divide's interrupt guard.
    return ProtectAndReport(firstPiece, recoverable);
  }
  if (tap != nullptr && tap->Outcome().failure.error) {
    ShowFailure("--recovery", tap->Outcome().failure);
  }
  if (!piecesOnFixedDrive) {
    std::fprintf(stderr, "--recovery: no recovery files were written; the pieces are whole\n");
  }
  return kNotDone;
}

int RunRepairCommand(const std::string& path) {
  const std::optional<par2::SetPlace> place = par2::SetPlaceOf(path);
  if (!place) {
    std::fprintf(stderr, "repair: %s: neither a first piece nor a .par2 file\n",
                 EscapeForTerminal(path).c_str());
    return kRefused;
  }
  const std::string& folder = place->folder;
  // A Ctrl+C while the pieces are read ends the repair before anything is
  // written; once rebuilding has begun, it goes on to its end.
  std::atomic<int> runState{kRunRunning};
  const InterruptGuard interrupts(runState);
  const par2::RepairReport report =
      par2::RepairSeries(*place, true, {.stopAsked = InterruptRequested, .confirm = {}});
  // A failure while rebuilding is told as it is, whatever came meanwhile.
  if (InterruptRequested() && report.outcome != par2::RepairOutcome::kRepaired &&
      report.outcome != par2::RepairOutcome::kFailed) {
    std::fprintf(stderr, "repair: %s: stopped; nothing was rebuilt\n",
                 EscapeForTerminal(path).c_str());
    return kNotDone;
  }
  if (!report.setFound) {
    std::fprintf(stderr, "repair: %s: no usable recovery data\n", EscapeForTerminal(path).c_str());
    return kNotDone;
  }
  ShowExamined(folder, report);
  switch (report.outcome) {
    case par2::RepairOutcome::kNothingToDo:
      std::printf("nothing to repair: %zu pieces intact\n", report.files.size());
      return kDone;
    case par2::RepairOutcome::kNotRepairable:
      if (const std::uint32_t lacking = par2::BlocksLacking(report)) {
        std::printf("not repairable: %u more recovery blocks needed\n", lacking);
      } else {
        std::printf("not repairable: the recovery blocks do not solve this damage\n");
      }
      return kNotDone;
    case par2::RepairOutcome::kFailed:
      // Pieces already put in place (and damaged ones moved aside) stay so.
      ShowRebuilt(folder, report);
      return ShowFailure("repair", report.failure);
    case par2::RepairOutcome::kRepaired:
      break;
  }
  ShowRebuilt(folder, report);
  std::printf("repaired: %zu of %zu pieces rebuilt\n", report.rebuilt.size(), report.files.size());
  return kDone;
}

}  // namespace kv
