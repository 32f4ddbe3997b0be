// Execute, the self-restore commands, the job timer and cancel.

#include <cstdio>

#include "core/ascii_text.h"
#include "core/job_texts.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "core/stub_data_file.h"
#include "core/text_fill.h"
#include "plan/job_planner.h"
#include "plan/plan_texts.h"
#include "plan/plan_view.h"
#include "platform/binary_file.h"
#include "platform/file_helpers.h"
#include "platform/volumes.h"

namespace kv {

namespace pt = plan_texts;

namespace {

// A destination a job can use: an absolute name.
bool ValidDestination(const std::string& name) {
  return !name.empty() && name.front() == '/';
}

// What lies under the destination name.
enum class ExistingDestination {
  kNone,      // nothing, a folder, or a file that cannot be read
  kFile,      // a regular file that can be opened for reading
  kNotAFile,  // a pipe, socket or device: never opened (it could block) and never deleted
};

ExistingDestination FindExistingDestination(const std::string& name) {
  if (!FileExists(name)) {
    return ExistingDestination::kNone;
  }
  if (!IsRegularFile(name)) {
    return ExistingDestination::kNotAFile;
  }
  return BinaryFile::Open(name, BinaryFile::Mode::kRead) != nullptr ? ExistingDestination::kFile
                                                                    : ExistingDestination::kNone;
}

}  // namespace

JobPlanner::JobPlanner(DivideSettings& settings, JobState& job, StubDataFile& stubs,
                       Prompter& prompter, Volumes& volumes, PlanView& view, WorkerEntry worker)
    : settings_(settings),
      job_(job),
      stubs_(stubs),
      prompter_(prompter),
      volumes_(volumes),
      view_(view),
      worker_(std::move(worker)) {}

JobPlanner::~JobPlanner() {
  if (thread_.joinable()) {
    int running = kRunRunning;
    job_.RunState.compare_exchange_strong(running, kRunCancelRequested);
    thread_.join();
  }
}

bool JobPlanner::JobActive() const {
  return job_.RunState.load() != kRunIdle || thread_.joinable();
}

void JobPlanner::ShowTexts() {
  view_.ShowTexts(texts_);
}

void JobPlanner::Refuse(const std::string& text, const char* caption) {
  prompter_.Ask(MakeMessage(text, Buttons::kOk, Icon::kWarning, caption));
  EndWithoutJob(JobOutcome::kRefused);
}

void JobPlanner::EndWithoutJob(JobOutcome outcome) {
  job_.SetOutcome(outcome);
  EndSelfRestore();
}

void JobPlanner::EndSelfRestore() {
  // The analysis clears SelfRestoreJob for a piece series, so the planner's own
  // flag decides whether the divide type was swapped.
  if (selfRestoreAsked_) {
    selfRestoreAsked_ = false;
    settings_.DivideType = job_.SavedDivideType;
  }
  job_.SelfRestoreJob = false;
}

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
  const std::string source = texts_.source;
  const std::string dest = texts_.destination;

  if (!job_.SourceUsable || !ValidDestination(dest)) {
    Refuse(pt::kNamesInvalid, kCaption);
    return;
  }
  if (selfRestoreAsked_ && !job_.IsDivide) {
    Refuse(pt::kCannotDividePiece, pt::kSelfRestoreCaption);
    return;
  }
  if (EqualsIgnoringAsciiCase(source, dest) || SameFile(source, dest)) {
    Refuse(texts::kSameAsSource, kCaption);
    return;
  }
  const std::string kindName =
      job_.SelfRestoreJob ? stubs_.KindName(job_.SelfRestoreKind) : std::string();
  if (job_.SelfRestoreJob && job_.SourceSize > kMaxDivideSize && LimitedTo2GB(kindName)) {
    Refuse(pt::kDosOver2GB, kCaption);
    return;
  }

  // The confirmation.
  const char* word = job_.SelfRestoreJob ? pt::kWordSelfRestore
                     : job_.IsDivide     ? pt::kWordDivide
                                         : pt::kWordRestore;
  const int number = job_.IsDivide ? settings_.DivideType : job_.SourceSplitType;
  std::string text = FormatText(pt::kConfirmHead, word, source.c_str(), dest.c_str());
  text += job_.SelfRestoreJob ? FormatText(pt::kConfirmKind, kindName.c_str())
                              : FormatText(pt::kConfirmType, number);
  if (settings_.HeadCut && !job_.IsDivide) {
    text += FormatText(pt::kConfirmHeadCut, FormatGrouped(settings_.HeadCutFirst).c_str(),
                       FormatGrouped(settings_.HeadCutNext).c_str());
  }
  if (prompter_.Ask(MakeMessage(MessageKind::kExecuteConfirmation, text, Buttons::kYesNo,
                                Icon::kQuestion, pt::kConfirmCaption)) != Answer::kYes) {
    EndWithoutJob(JobOutcome::kCancelled);
    return;
  }

  view_.AddRecentFile(source);

  const ExistingDestination existing = FindExistingDestination(dest);
  if (existing == ExistingDestination::kFile) {
    if (prompter_.Ask(MakeMessage(
            MessageKind::kOverwrite, FormatText(texts::kOverwriteQuestion, dest.c_str()),
            Buttons::kYesNo, Icon::kQuestion, texts::kOverwriteCaption)) != Answer::kYes) {
      EndWithoutJob(JobOutcome::kCancelled);
      return;
    }
  }
  // Something that is not a file is refused at once: asking to overwrite it would be pointless.
  if (existing == ExistingDestination::kNotAFile ||
      (existing == ExistingDestination::kFile && std::remove(dest.c_str()) != 0)) {
    prompter_.Ask(MakeMessage(texts::kCannotOverwrite, Buttons::kOk, Icon::kNone,
                              pt::kOverwriteRefusedCaption));
    EndWithoutJob(JobOutcome::kRefused);
    return;
  }

  // Publish the job.
  job_.PiecesOnFixedDrive =
      !volumes_.IsOnRemovable(job_.IsDivide ? dest : source, settings_.RemovableDrive);
  job_.SetJobDest(dest);
  job_.SetJobSource(source);

  texts_.progress = 0;
  texts_.progressText = true;
  job_.ResetProgress();
  job_.RunState.store(kRunRunning);
  view_.StartJobTimer();

  WorkerKind kind;
  if (job_.IsDivide) {
    texts_.title = pt::kTitleDividing;
    kind = settings_.DivideType == static_cast<int>(SplitType::kType0) && !job_.SelfRestoreJob
               ? WorkerKind::kType0Divide
               : WorkerKind::kTypedDivide;
  } else {
    texts_.title = pt::kTitleRestoring;
    kind = job_.SourceSplitType != static_cast<int>(SplitType::kType0) ? WorkerKind::kTypedRestore
                                                                       : WorkerKind::kType0Restore;
  }
  StartWorker(kind);
  view_.SetBusy(true);
  ShowTexts();
}

void JobPlanner::StartWorker(WorkerKind kind) {
  // The worker reads the settings in force now, whatever the window changes meanwhile.
  snapshot_ = std::make_unique<DivideSettings>(settings_);
  thread_ = std::thread([this, kind] {
    const WorkerContext context{*snapshot_, job_, prompter_, volumes_, stubs_};
    worker_(kind, context);
  });
}

void JobPlanner::SelfRestoreStart(int kind) {
  if (JobActive()) {
    return;
  }
  job_.SelfRestoreKind = kind;
  job_.SavedDivideType = settings_.DivideType;
  job_.SelfRestoreJob = true;
  selfRestoreAsked_ = true;
  if (stubs_.Major() == 1) {
    settings_.DivideType = static_cast<int>(SplitType::kType2);
  } else if (stubs_.Major() == 2) {
    settings_.DivideType = static_cast<int>(SplitType::kType3);
  }
  executeArmed_ = 1;
  ExecuteFromAnalysis();
}

void JobPlanner::CreateSelfRestoring() {
  if (JobActive()) {
    return;
  }
  if (stubs_.KindName(0).empty()) {
    prompter_.Ask(MakeMessage(pt::kNoStubData, Buttons::kOk, Icon::kWarning));
    return;
  }
  const int kind = settings_.RestoreNo;
  if (kind >= 0 && kind < kMaxStubKinds && !stubs_.KindName(kind).empty()) {
    SelfRestoreStart(kind);
  } else {
    prompter_.Ask(MakeMessage(pt::kChooseKind, Buttons::kOk, Icon::kWarning));
  }
}

void JobPlanner::CreateSelfRestoringKind(int kind) {
  SelfRestoreStart(kind);
}

bool JobPlanner::OnJobTimer() {
  if (!thread_.joinable()) {
    return false;
  }
  int hold = job_.ProgressHold.load();
  if (hold != kProgressHeld) {
    texts_.statusField = job_.StatusText();
    texts_.progress = job_.ProgressPermille.load();
    if (hold > kProgressHeld) {
      // A worker's newer value wins over the count-down.
      job_.ProgressHold.compare_exchange_strong(hold, hold - 1);
    }
  }
  const bool message = job_.MessageChanged.exchange(false);
  const bool dest = job_.DestChanged.exchange(false);
  const bool source = job_.SourceNameChanged.exchange(false);
  if (message || dest || source) {
    texts_.information = job_.JobMessage();
    texts_.destination = job_.JobDest();
    texts_.source = job_.JobSource();
  }
  if (job_.RunState.load() != kRunIdle) {
    ShowTexts();
    return true;
  }

  // The job has ended.
  thread_.join();
  snapshot_.reset();
  texts_.statusField = job_.StatusText();
  texts_.progress = job_.ProgressPermille.load();
  texts_.title = pt::kTitleEnded;
  texts_.information = job_.JobMessage();
  view_.StopJobTimer();
  ShowTexts();
  if (settings_.EndMessage) {
    prompter_.Ask(
        MakeMessage(texts_.information, Buttons::kOk, Icon::kInformation, pt::kEndCaption));
  }
  view_.SetBusy(false);
  EndSelfRestore();
  return false;
}

CancelOutcome JobPlanner::Cancel() {
  int running = kRunRunning;
  if (job_.RunState.compare_exchange_strong(running, kRunCancelRequested)) {
    return CancelOutcome::kCancelRequested;
  }
  return running == kRunCancelRequested ? CancelOutcome::kIgnored : CancelOutcome::kClose;
}

}  // namespace kv
