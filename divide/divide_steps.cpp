#include "divide/divide_steps.h"

#include <algorithm>
#include <cerrno>

#include "core/job_texts.h"
#include "core/prompter.h"
#include "divide/media_texts.h"
#include "platform/file_helpers.h"
#include "platform/safe_create.h"

namespace kv {

bool CopyDivideBlock(const StepCopy& copy, Prompter& prompter, JobEnd& end, std::int64_t& owed,
                     std::int64_t& remaining,
                     const std::function<void(const std::byte*, std::size_t)>& onStep,
                     const std::function<void()>& progress) {
  auto countStep = [&](const std::byte* step, std::size_t n) {
    onStep(step, n);
    owed -= static_cast<std::int64_t>(n);
    remaining -= static_cast<std::int64_t>(n);
  };
  switch (CopyBlockOfSteps(copy, std::min(owed, remaining), countStep, progress)) {
    case StepsEnd::kBlockDone:
      return true;
    case StepsEnd::kCancelled:
      end = {JobOutcome::kCancelled};
      return false;
    case StepsEnd::kWriteFailed:
      return FailWithIoError(prompter, end, copy.out);
    case StepsEnd::kReadFailed:
    case StepsEnd::kSourceEnded:
      break;
  }
  return copy.source ? FailWithIoError(prompter, end, *copy.source)
                     : FailWithIoError(prompter, end, EBADF, {});
}

bool FailWithIoError(Prompter& prompter, JobEnd& end, int error, const std::string& path) {
  end = {JobOutcome::kFailed, error, path};
  prompter.Ask(MakeMessage(texts::kIoError, Buttons::kOk, Icon::kStop));
  return false;
}

bool FailWithIoError(Prompter& prompter, JobEnd& end, const BinaryFile& file) {
  return FailWithIoError(prompter, end, file.Error(), file.Path());
}

SourceWatch WatchSource(const BinaryFile& source) {
  SourceWatch watch;
  watch.watched = source.Facts(watch.atStart) && watch.atStart.regular;
  return watch;
}

bool SourceUnchanged(Prompter& prompter, JobEnd& end, const BinaryFile& source,
                     const SourceWatch& watch) {
  if (!watch.watched) {
    return true;
  }
  FileFacts now;
  if (!source.Facts(now)) {
    return FailWithIoError(prompter, end, errno, source.Path());
  }
  if (now.size != watch.atStart.size || now.modifiedNs != watch.atStart.modifiedNs) {
    return FailWithIoError(prompter, end, 0, source.Path());
  }
  return true;
}

bool FailUnexpectedly(Prompter& prompter, JobEnd& end) {
  end = {JobOutcome::kFailed, 0};
  prompter.Ask(MakeMessage(texts::kUnexpectedError, Buttons::kOk, Icon::kStop));
  return false;
}

bool RefuseWritingOverSource(Prompter& prompter, JobEnd& end, const std::string& piece,
                             const std::string& source) {
  if (!SameFile(piece, source)) {
    return false;
  }
  end = {JobOutcome::kRefused};
  prompter.Ask(MakeMessage(texts::kSameAsSource, Buttons::kOk, Icon::kWarning));
  return true;
}

std::unique_ptr<BinaryFile> CreatePiece(Prompter& prompter, JobEnd& end, const std::string& piece,
                                        bool offerRetry) {
  for (;;) {
    auto file = BinaryFile::Open(piece, BinaryFile::Mode::kCreateWrite);
    if (file) {
      return file;
    }
    if (!offerRetry) {
      end = {JobOutcome::kFailed, errno, piece};
      prompter.Ask(MakeMessage(texts::kCannotCreate, Buttons::kOk, Icon::kWarning));
      return nullptr;
    }
    if (prompter.Ask(MakeMessage(MessageKind::kRetryMedium, texts::kCannotCreate,
                                 Buttons::kRetryCancel, Icon::kWarning)) != Answer::kRetry) {
      end = {JobOutcome::kCancelled};
      return nullptr;
    }
  }
}

std::unique_ptr<BinaryFile> CreateFollowingPiece(Prompter& prompter, JobEnd& end,
                                                 const std::string& piece, bool offerRetry) {
  if (!ClearNameForPiece(piece)) {
    end = {JobOutcome::kFailed, errno, piece};
    prompter.Ask(MakeMessage(texts::kCannotCreate, Buttons::kOk, Icon::kWarning));
    return nullptr;
  }
  return CreatePiece(prompter, end, piece, offerRetry);
}

}  // namespace kv
