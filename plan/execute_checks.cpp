// Execute's checks before a job starts: the refusals, the confirmation and
// the settling of an existing destination. Each ends Execute without a job
// when it fails.

#include "core/ascii_text.h"
#include "core/job_state.h"
#include "core/job_texts.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "core/stub_data_file.h"
#include "core/text_fill.h"
#include "divide/series_resume.h"
#include "plan/job_planner.h"
#include "plan/plan_texts.h"
#include "platform/file_helpers.h"
#include "platform/safe_create.h"
#include "platform/volumes.h"

namespace kv {

namespace pt = plan_texts;

namespace {

// A destination a job can use: an absolute name.
bool ValidDestination(const std::string& name) {
  return !name.empty() && name.front() == '/';
}

// What lies under the destination name, asked of the name itself.
enum class ExistingDestination {
  kNone,      // nothing, or a folder (the creation refuses it)
  kFile,      // a regular file, readable or not, or a link, dangling or not
  kNotAFile,  // a pipe, socket or device: never opened (it could block) and never deleted
};

ExistingDestination FindExistingDestination(NameKind kind) {
  switch (kind) {
    case NameKind::kRegular:
    case NameKind::kLink:
      return ExistingDestination::kFile;
    case NameKind::kOther:
      return ExistingDestination::kNotAFile;
    case NameKind::kNone:
    case NameKind::kFolder:
      break;
  }
  return ExistingDestination::kNone;
}

// A restore's output that is one of the pieces after the first, present or
// not: a name the series' naming gives some piece number, or a file in the
// first piece's folder under such a name (a link to it, say). One listing of
// that folder, whatever the number of pieces.
bool OutputIsAFollowingPiece(const JobState& job, const std::string& source,
                             const std::string& dest) {
  // Raw slices are numbered as their first piece's name shows.
  const PieceFormat& format = PieceFormatOf(job.SourceSplitType);
  const bool raw = format.RawSlices();
  const PieceScheme scheme = !raw                      ? format.scheme
                             : job.ThreeDigitNumbering ? PieceScheme::kThreeDigit
                                                       : PieceScheme::kAddedChar;
  const int first = raw ? PieceNumberAtEnd(source, job.ThreeDigitNumbering ? 3 : 2) : 1;
  const auto namesAFollowingPiece = [&](const std::string& name) {
    const int number = PieceNumberOf(name, scheme);
    return number > first && EqualsIgnoringAsciiCase(SetPieceNumber(source, number, scheme), name);
  };
  if (namesAFollowingPiece(dest)) {
    return true;
  }
  if (!FileExists(dest)) {
    return false;
  }
  const std::string folder = source.substr(0, FileNameStart(source));
  for (const std::string& entry : NamesInFolder(folder)) {
    if (namesAFollowingPiece(folder + entry) && SameFile(folder + entry, dest)) {
      return true;
    }
  }
  return false;
}

// The refusal for a stub that cannot start a series, filled with the data
// file's name; nullptr when the stub can.
const char* StubFaultText(StubFault fault) {
  switch (fault) {
    case StubFault::kNone:
      return nullptr;
    case StubFault::kHoldsPattern:
      return pt::kStubHoldsPattern;
    case StubFault::kPastEnd:
    case StubFault::kUnreadable:
      break;
  }
  return pt::kStubDataDamaged;
}

}  // namespace

void JobPlanner::Refuse(const std::string& text, const char* caption) {
  prompter_.Ask(MakeMessage(text, Buttons::kOk, Icon::kWarning, caption));
  EndWithoutJob(JobOutcome::kRefused);
}

bool JobPlanner::PassesChecks(const JobNames& names, const std::string& kindName) {
  if (!job_.SourceUsable || !ValidDestination(names.dest)) {
    Refuse(pt::kNamesInvalid, kCaption);
    return false;
  }
  if (selfRestoreAsked_ && !job_.IsDivide) {
    Refuse(pt::kCannotDividePiece, pt::kSelfRestoreCaption);
    return false;
  }
  if (EqualsIgnoringAsciiCase(names.source, names.dest) || SameFile(names.source, names.dest) ||
      (!job_.IsDivide && OutputIsAFollowingPiece(job_, names.source, names.dest))) {
    Refuse(texts::kSameAsSource, kCaption);
    return false;
  }
  if (job_.SelfRestoreJob && job_.SourceSize > kMaxDivideSize && LimitedTo2GB(kindName)) {
    Refuse(pt::kDosOver2GB, kCaption);
    return false;
  }
  // A stub the data file cannot give whole, or one a restore would take for
  // the header, would make a series no restore accepts.
  if (job_.SelfRestoreJob) {
    if (const char* fault = StubFaultText(stubs_.CheckStub(job_.SelfRestoreKind))) {
      Refuse(FormatText(fault, stubs_.Path().c_str()), kCaption);
      return false;
    }
  }
  return true;
}

bool JobPlanner::Confirmed(const JobNames& names, const std::string& kindName) {
  const char* word = job_.SelfRestoreJob ? pt::kWordSelfRestore
                     : job_.IsDivide     ? pt::kWordDivide
                                         : pt::kWordRestore;
  const int number = job_.IsDivide ? settings_.DivideType : job_.SourceSplitType;
  std::string text = FormatText(pt::kConfirmHead, word, names.source.c_str(), names.dest.c_str());
  text += job_.SelfRestoreJob ? FormatText(pt::kConfirmKind, kindName.c_str())
                              : FormatText(pt::kConfirmType, number);
  if (settings_.HeadCut && !job_.IsDivide) {
    text += FormatText(pt::kConfirmHeadCut, FormatGrouped(settings_.HeadCutFirst).c_str(),
                       FormatGrouped(settings_.HeadCutNext).c_str());
  }
  if (prompter_.Ask(MakeMessage(MessageKind::kExecuteConfirmation, text, Buttons::kYesNo,
                                Icon::kQuestion, pt::kConfirmCaption)) != Answer::kYes) {
    EndWithoutJob(JobOutcome::kCancelled);
    return false;
  }
  return true;
}

bool JobPlanner::DestinationSettled(const std::string& dest) {
  // A restore to an open stream creates nothing: there is nothing to overwrite.
  if (!job_.IsDivide && job_.OutputDescriptor >= 0) {
    job_.ReplacesOutput = false;
    return true;
  }
  const NameIdentity there = IdentityOfName(dest);
  const ExistingDestination existing = FindExistingDestination(there.kind);
  // The pieces an earlier run of this divide left on a fixed drive may be
  // gone on from; on removable media they lie on several media.
  job_.ResumeDivide =
      existing == ExistingDestination::kFile && job_.IsDivide && job_.InputDescriptor < 0 &&
      !volumes_.IsOnRemovable(dest, settings_.RemovableDrive) &&
      FirstPieceOfThisDivide(settings_, job_, stubs_, texts_.source, dest) &&
      prompter_.Ask(MakeMessage(MessageKind::kResumeDivide,
                                FormatText(pt::kResumeQuestion, dest.c_str()), Buttons::kYesNo,
                                Icon::kQuestion, pt::kResumeCaption)) == Answer::kYes;
  if (job_.ResumeDivide) {
    job_.ReplacesOutput = false;
    return true;
  }
  if (existing == ExistingDestination::kFile) {
    if (prompter_.Ask(MakeMessage(
            MessageKind::kOverwrite, FormatText(texts::kOverwriteQuestion, dest.c_str()),
            Buttons::kYesNo, Icon::kQuestion, texts::kOverwriteCaption)) != Answer::kYes) {
      EndWithoutJob(JobOutcome::kCancelled);
      return false;
    }
  }
  // A restore writes beside the file it replaces and puts its output in
  // place only once restored; a divide's first piece takes the name at once.
  job_.ReplacesOutput = existing == ExistingDestination::kFile && !job_.IsDivide;
  // Something that is not a file is refused at once: asking to overwrite it would be pointless.
  if (existing == ExistingDestination::kNotAFile ||
      (existing == ExistingDestination::kFile && job_.IsDivide && !RemoveAskedFile(dest, there))) {
    prompter_.Ask(MakeMessage(texts::kCannotOverwrite, Buttons::kOk, Icon::kNone,
                              pt::kOverwriteRefusedCaption));
    EndWithoutJob(JobOutcome::kRefused);
    return false;
  }
  return true;
}

}  // namespace kv
