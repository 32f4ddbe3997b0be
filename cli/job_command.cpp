#include "cli/job_command.h"

#include <chrono>
#include <cstdio>
#include <optional>

#include "cli/cli_settings.h"
#include "cli/cli_view.h"
#include "cli/progress_line.h"
#include "cli/recovery_command.h"
#include "cli/terminal.h"
#include "cli/terminal_escape.h"
#include "cli/terminal_prompter.h"
#include "core/beside_executable.h"
#include "core/job_end.h"
#include "core/job_state.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "core/stub_data_file.h"
#include "divide/piece_prediction.h"
#include "plan/job_planner.h"
#include "plan/plan_texts.h"
#include "plan/real_workers.h"
#include "platform/file_helpers.h"
#include "platform/volumes.h"

namespace kv {

namespace {

constexpr char kRecoveryOnRemovableText[] =
    "--recovery: the pieces go to removable media, which are not read back; protect the series "
    "with \"kolvanto-cli protect\" once its pieces are together on a fixed drive";

// What the stub data file lacks for --self-restore KIND; nullptr when nothing.
const char* SelfRestoreRefusal(const StubDataFile& stubs, int kind) {
  if (stubs.KindName(0).empty()) {
    return plan_texts::kNoStubData;
  }
  return stubs.KindName(kind).empty() ? plan_texts::kChooseKind : nullptr;
}

// The exit status when the analysis settles the command: info always, a
// source that cannot be used, or a file that asks for the other command.
std::optional<int> EndAfterAnalysis(Command command, const JobState& job,
                                    const MainWindowTexts& texts) {
  // Empty when the analysis stopped at a message of its own (a divide size below the smallest).
  const bool described = !texts.information.empty();
  const std::string information = TerminalText(texts.information, {texts.source});
  if (command == Command::kInfo) {
    if (described) {
      std::printf("%s\n", information.c_str());
    }
    if (!job.SourceUsable) {
      return kExitRefused;
    }
    std::printf("job: %s\ndestination: %s\n", job.IsDivide ? "divide" : "restore",
                EscapeForTerminal(texts.destination).c_str());
    return kExitDone;
  }
  if (!job.SourceUsable) {
    if (described) {
      std::fprintf(stderr, "%s\n", information.c_str());
    }
    return kExitRefused;
  }
  if ((command == Command::kDivide) != job.IsDivide) {
    std::fprintf(stderr, "%s\n%s\n", information.c_str(),
                 command == Command::kDivide
                     ? "this file is the first piece of a series: use restore"
                     : "this file is not the first piece of a series: use divide");
    return kExitRefused;
  }
  return std::nullopt;
}

// Runs the job timer until the worker has ended, with the progress line when asked.
void FollowJob(JobPlanner& planner, const JobState& job, TerminalPrompter& prompter,
               bool showProgress) {
  const MainWindowTexts& texts = planner.Texts();
  const auto start = std::chrono::steady_clock::now();
  auto showLine = [&](const char* end, bool shown) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(
        stderr, "\r%s\033[K%s",
        ProgressLine(texts.progress, texts.statusField, job.BytesDone.load(), seconds).c_str(),
        end);
    std::fflush(stderr);
    prompter.SetProgressShown(shown);
  };
  // A resumed divide says once from which piece it went on.
  bool resumeTold = false;
  auto tellResume = [&] {
    if (const int from = job.ResumedFromPiece.load(); from > 0 && !resumeTold) {
      std::fprintf(stderr, "\r\033[Kgoing on from piece %d\n", from);
      resumeTold = true;
    }
  };
  bool running = true;
  while (running) {
    // The next 50 ms tick of the job timer, or the worker's end, whichever comes first.
    job.WaitForRunEnd(std::chrono::milliseconds(50));
    running = planner.OnJobTimer();
    if (showProgress && running) {
      std::lock_guard lock(prompter.OutputMutex());
      tellResume();
      showLine("", true);
    }
  }
  std::lock_guard lock(prompter.OutputMutex());
  if (showProgress) {
    tellResume();
    showLine("\n", false);
  }
}

// The piece after `missing` in a Type0 series, when it exists: the series
// goes on behind a gap, so ending at the gap is no complete restore.
bool SeriesGoesOnAfter(const std::string& missing, const JobState& job) {
  const PieceScheme scheme =
      job.ThreeDigitNumbering ? PieceScheme::kThreeDigit : PieceScheme::kAddedChar;
  const int number = PieceNumberOf(missing, scheme);
  return number > 0 && FileExists(SetPieceNumber(missing, number + 1, scheme));
}

// "-o -": the restored bytes go to standard output, which a closed pipe
// makes fail (EPIPE) instead of ending the program without its message.
void StreamToStandardOutput(MainWindowTexts& texts, JobState& job) {
  texts.destination = "/dev/stdout";
  job.OutputDescriptor = StandardOutputDescriptor();
  LetClosedPipeFailWrites();
}

// What "divide -" cannot do with standard input; nullptr when the options suit it.
const char* StreamDivideRefusal(const Options& o, const DivideSettings& settings) {
  if (o.output.empty()) {
    return "divide -: name the first piece with -o";
  }
  if (!PieceFormatOf(settings.DivideType).RawSlices() || o.selfRestoreKind) {
    return "divide -: standard input is divided into Type0 pieces only (-t 0): the other types "
           "record the source's size in their first piece";
  }
  return o.resume ? "divide -: a divide of standard input cannot go on from an earlier run"
                  : nullptr;
}

// Writes the final message, the cause of a failure and the pieces taken past
// their check, and gives the exit status: a result built from a forced piece
// is never a plain success.
int ReportOutcome(const JobState& job, TerminalPrompter& prompter) {
  const std::vector<std::string> forced = prompter.ForcedPieces();
  const std::string message = TerminalText(job.JobMessage(), prompter.ShownNames());
  // A success goes to standard output; a stop or an error to standard error.
  const JobOutcome outcome = job.Outcome();
  const std::string missing = prompter.MissingPiece();
  if (outcome == JobOutcome::kDone && !missing.empty() && SeriesGoesOnAfter(missing, job)) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\nmissing: %s\n", message.c_str(), EscapeForTerminal(missing).c_str());
    return kExitCancelled;
  }
  if (outcome == JobOutcome::kDone) {
    // Standard output may be the restored file itself.
    std::fprintf(job.OutputDescriptor >= 0 ? stderr : stdout, "%s\n", message.c_str());
    std::fflush(stdout);
    for (const std::string& piece : forced) {
      std::fprintf(stderr, "forced: %s\n", EscapeForTerminal(piece).c_str());
    }
    return forced.empty() ? kExitDone : kExitDoneWithError;
  }
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", message.c_str());
  // The cause in the system's words, so a missing folder, a read-only
  // medium and a full disk are told apart.
  if (const std::string cause = FailureCause(job); !cause.empty()) {
    std::fprintf(stderr, "%s\n", EscapeForTerminal(cause).c_str());
  }
  return outcome == JobOutcome::kDoneWithChecksumError ? kExitDoneWithError : kExitCancelled;
}

int ReportEnd(const JobState& job, TerminalPrompter& prompter) {
  const int status = ReportOutcome(job, prompter);
  // A file the restore was allowed to replace stays when the restore ends short of it.
  if (const std::string beside = job.OutputBeside(); !beside.empty()) {
    std::fprintf(stderr, "kept: %s\npartial output: %s\n", EscapeForTerminal(job.JobDest()).c_str(),
                 EscapeForTerminal(beside).c_str());
  }
  return status;
}

}  // namespace

int RunJobCommand(Command command, const Options& o) {
  const bool terminalErr = StandardErrorIsTerminal();
  // Standard input that brings the source cannot bring answers too.
  const bool fromStandardInput = command == Command::kDivide && o.file == "-";
  TerminalPrompter prompter(
      AnswerRules{.interactive = terminalErr && StandardInputIsTerminal() && !fromStandardInput,
                  .yesToAll = o.yes,
                  .overwrite = o.overwrite,
                  .force = o.force,
                  .resume = o.resume});
  SystemVolumes volumes;
  DivideSettings settings = LoadCliSettings(!o.defaults, prompter, volumes);
  settings.SelfRestore = false;  // only --self-restore makes a self-restoring series
  // Only --recovery adds recovery data, with its own report.
  settings.Recovery = command == Command::kDivide && o.recovery > 0;
  settings.RecoveryPieces = static_cast<int>(o.recovery);
  if (command == Command::kRestore) {
    ApplyRestoreOptions(o, settings);
  } else {
    ApplyDivideOptions(o, settings);
  }
  JobState job;
  prompter.SetRunState(&job.RunState);
  StubDataFile stubs;
  stubs.LoadStubDataFile(o.stubData.empty()
                             ? FindBesideExecutable(ExecutableFolder(), kStubDataFileName)
                             : Absolute(o.stubData));
  CliView view;
  JobPlanner planner(settings, job, stubs, prompter, volumes, view, RunRealWorker);
  planner.LeaveRecoveryReportToCaller();
  planner.SetRestoreCompleteCheck([&] {
    const std::string missing = prompter.MissingPiece();
    return missing.empty() || !SeriesGoesOnAfter(missing, job);
  });
  MainWindowTexts& texts = planner.Texts();
  texts.source = Absolute(o.file);
  texts.sizeText = o.size.empty() ? settings.DivideSize : SizeText(o.size);
  texts.destination = Absolute(o.output);
  job.SourceChanged = o.output.empty();
  if (command == Command::kRestore && o.output == "-") {
    StreamToStandardOutput(texts, job);
  }
  if (fromStandardInput) {
    if (const char* refusal = StreamDivideRefusal(o, settings)) {
      std::fprintf(stderr, "%s\n", refusal);
      return kExitRefused;
    }
    texts.source = "/dev/stdin";
    job.InputDescriptor = StandardInputDescriptor();
  }
  if (o.selfRestoreKind) {
    if (const char* refusal = SelfRestoreRefusal(stubs, *o.selfRestoreKind)) {
      std::fprintf(stderr, "%s\n", refusal);
      return kExitRefused;
    }
    planner.SetSelfRestoreIntent(true);  // the first piece is proposed as ".exe"
  }
  planner.AnalyseSource();
  prompter.AddShownNames({texts.source, texts.destination});
  if (const std::optional<int> status = EndAfterAnalysis(command, job, texts)) {
    return *status;
  }
  // Recovery data is computed while dividing when the pieces are known beforehand; otherwise
  // from the pieces read back, which removable media may no longer hold.
  if (o.recovery > 0 && !PiecesKnownBeforehand(settings, job) &&
      volumes.IsOnRemovable(texts.destination, settings.RemovableDrive)) {
    std::fprintf(stderr, "%s\n", kRecoveryOnRemovableText);
    return kExitRefused;
  }
  // From here a Ctrl+C answers the questions No and stops the job instead of the program.
  const InterruptGuard interrupts(job.RunState);
  std::string firstPiece;  // the divide's destination, before its worker moves on
  view.OnJobStart([&] { firstPiece = job.JobDest(); });
  if (o.selfRestoreKind) {
    planner.CreateSelfRestoringKind(*o.selfRestoreKind);
  } else {
    planner.Execute();
    if (view.TakeSelfRestorePosted()) {
      planner.CreateSelfRestoring();
    }
  }
  if (!planner.JobActive()) {
    return job.Outcome() == JobOutcome::kCancelled ? kExitCancelled : kExitRefused;
  }
  // An interrupt that came while the worker was being started stops it now.
  if (InterruptRequested()) {
    int running = kRunRunning;
    job.RunState.compare_exchange_strong(running, kRunCancelRequested);
  }
  FollowJob(planner, job, prompter, terminalErr || o.progress);
  const int status = ReportEnd(job, prompter);
  if (status != kExitDone || o.recovery == 0) {
    return status;
  }
  return ReportDivideRecovery(planner.StreamedRecovery(), firstPiece, o.recovery,
                              job.PiecesOnFixedDrive) == 0
             ? kExitDone
             : kExitCancelled;
}

}  // namespace kv
