#pragma once
// The job planner of the main window: the source analysis, Execute with its
// self-restore commands, the job timer and cancel. Toolkit-free: it works on
// MainWindowTexts and asks a PlanView for what only a window can do. Runs on
// the user interface thread; the worker runs on a thread the planner owns.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "core/code_page.h"
#include "core/divide_settings.h"
#include "core/job_state.h"
#include "plan/main_window_texts.h"
#include "plan/worker_launch.h"
#include "platform/code_page.h"

namespace kv {

class BinaryFile;
class Prompter;
class Volumes;
class StubDataFile;
struct PieceFormat;
class PlanView;
class RecoveryTap;

// What the close command (button 2) turned into.
enum class CancelOutcome {
  kCancelRequested,  // a running job was asked to stop
  kIgnored,          // a stop is already pending: wait for the worker to end
  kClose,            // no job runs: the window may close
};

class JobPlanner {
 public:
  // `fromCodePage` reads recorded names that are not UTF-8; the platform's
  // CP932 converter unless a caller hands in another.
  JobPlanner(DivideSettings& settings, JobState& job, StubDataFile& stubs, Prompter& prompter,
             Volumes& volumes, PlanView& view, WorkerEntry worker,
             CodePageToUtf8 fromCodePage = CodePage932ToUtf8);
  // Asks a worker still running to stop and waits for it.
  ~JobPlanner();
  JobPlanner(const JobPlanner&) = delete;
  JobPlanner& operator=(const JobPlanner&) = delete;

  MainWindowTexts& Texts() { return texts_; }
  const MainWindowTexts& Texts() const { return texts_; }

  // Classifies the source, describes the job and proposes a destination.
  void AnalyseSource();

  // The Execute button: analyses afresh, runs the checks and questions and
  // starts the worker. With self-restore set, the first press hands over to
  // the self-restore command instead; a press while a job runs does nothing.
  void Execute();
  // A self-restoring divide with the default kind.
  void CreateSelfRestoring();
  // A self-restoring divide with the stub of kind `kind`.
  void CreateSelfRestoringKind(int kind);
  // For a front end without the check box that knows up front it will run a
  // self-restore command: the analyses propose a self-restoring first piece as
  // they do with the check box set, while Execute keeps its plain route.
  void SetSelfRestoreIntent(bool intended);
  // The job timer's tick: shows the worker's status and progress and, once
  // the worker has ended, its outcome. True while the job still runs.
  bool OnJobTimer();
  // The Cancel button: asks a running job to stop, or lets the window close.
  CancelOutcome Cancel();

  // For a front end that reports a divide's recovery data itself (the
  // command line): the recovery data computed while dividing is left to it,
  // and a read-back of the pieces after the divide is never started here.
  void LeaveRecoveryReportToCaller() { recoveryReportByCaller_ = true; }
  // The recovery data the last divide computed while it ran; null when none
  // was (it is then read back from the pieces, or not written).
  const RecoveryTap* StreamedRecovery() const { return recoveryTap_.get(); }

  // For a front end that judges a restore's end by more than its outcome
  // (the command line: a Type0 series that goes on behind a missing piece is
  // no whole file): false keeps a replaced file and the output beside it.
  void SetRestoreCompleteCheck(std::function<bool()> check) { restoreComplete_ = std::move(check); }

  // True from the start of a worker until the timer has seen its end.
  bool JobActive() const;
  int ExecuteArmed() const { return executeArmed_; }

 private:
  // The analysis's steps. A step that describes the job returns its summary;
  // nothing when the source was refused (the text is then in the information field).
  bool ReadDivideSize(std::string& mediumName);
  std::optional<std::string> DescribeSource(const std::string& mediumName);
  std::optional<std::string> DescribeType0Series(bool threeDigitNumbering);
  std::optional<std::string> DescribeTypedSeries(BinaryFile& file,
                                                 std::optional<std::int64_t> marker);
  std::optional<std::string> DescribeDivide(std::string mediumName);
  // A divide of an open stream (standard input): raw pieces only, as many
  // as the stream fills, so only the lowered size is told.
  std::optional<std::string> DescribeStreamDivide(std::string mediumName);
  // Shows the divide size in the size box (a preset's own text when one has
  // that size) and names the medium of that preset.
  void ShowDivideSize(std::string& mediumName);
  // Lowers the divide size to the largest file the destination's file system
  // holds; the note to add to the summary, empty when nothing was lowered.
  std::string LowerToFileSystem(const std::string& dest, std::string& mediumName);
  std::nullopt_t RefuseSource(const std::string& text);

  // Execute's steps; a check that fails has ended Execute without a job.
  struct JobNames {
    std::string source;
    std::string dest;
  };
  void ExecuteFromAnalysis();
  bool PassesChecks(const JobNames& names, const std::string& kindName);
  bool Confirmed(const JobNames& names, const std::string& kindName);
  bool DestinationSettled(const std::string& dest);
  void LaunchJob(const JobNames& names);
  // Recovery data of a divide: asked about before a divide to removable media
  // (false: declined, no job); written after a divide that is done, giving
  // what the final message adds.
  bool RecoveryAgreed(const std::string& dest);
  // After a divide that is done: true while its recovery data is being
  // written on a thread of its own (the window stays live meanwhile); the
  // final message's addition is then in recoveryRemark_.
  bool WritingRecovery();
  // Before a divide with recovery data starts: its pieces predicted and the
  // recovery data set up to be computed while they are written, when it can be.
  void PrepareRecoveryTap();
  // The timer has seen the worker's end.
  void EndJob();
  // A restored output written beside the file it replaces goes in its place;
  // otherwise that file stays and the information names the output beside it.
  void SettleReplacedOutput();

  void SelfRestoreStart(int kind);
  // Ending without a job, refused or declined: a prepared self-restore job is undone.
  void EndWithoutJob(JobOutcome outcome);
  // A self-restore command is over: the divide type it swapped is put back.
  void EndSelfRestore();
  void Refuse(const std::string& text, const char* caption);
  bool SelfRestoring() const;
  // The format a divide of the chosen source writes.
  const PieceFormat& DivideFormat() const;
  void StartWorker(WorkerKind kind);
  void ShowTexts();

  DivideSettings& settings_;
  JobState& job_;
  StubDataFile& stubs_;
  Prompter& prompter_;
  Volumes& volumes_;
  PlanView& view_;
  WorkerEntry worker_;
  CodePageToUtf8 fromCodePage_;
  MainWindowTexts texts_;
  int executeArmed_ = 1;
  // A self-restore command started the current Execute; kept until the command
  // has ended, whatever the analysis finds the source to be.
  bool selfRestoreAsked_ = false;
  bool selfRestoreIntended_ = false;
  std::function<bool()> restoreComplete_ = [] { return true; };
  // The recovery data the running divide gets, and its first piece.
  std::uint32_t recoveryPieces_ = 0;
  std::string recoveryFirstPiece_;
  std::thread recoveryThread_;
  std::atomic<bool> recoveryWritten_{false};
  std::string recoveryRemark_;
  std::string statusAfterDivide_;
  std::unique_ptr<RecoveryTap> recoveryTap_;
  bool recoveryReportByCaller_ = false;

  // The running job: the settings in force when it started, and its thread.
  std::unique_ptr<DivideSettings> snapshot_;
  std::thread thread_;
};

}  // namespace kv
