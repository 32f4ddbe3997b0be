#include "divide/divide_steps.h"

#include <algorithm>
#include <cerrno>

#include "core/job_texts.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "divide/media_texts.h"
#include "platform/file_helpers.h"
#include "platform/safe_create.h"
#include "platform/volumes.h"

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
    case StepsEnd::kWriteFailed: {
      // The writer may have failed on a piece it was ending, not on this one.
      const Failure written = copy.writer.Fault();
      return FailWithIoError(prompter, end, written.error ? written : copy.out.Fault());
    }
    case StepsEnd::kSourceEnded:
      if (copy.readToItsEnd) {
        remaining = 0;
        return true;
      }
      break;
    case StepsEnd::kReadFailed:
      break;
  }
  return FailWithIoError(prompter, end,
                         copy.source ? copy.source->Fault() : Failure{SystemError(EBADF), {}});
}

bool ClosePiece(Prompter& prompter, JobEnd& end, std::unique_ptr<BinaryFile>& piece,
                bool onRemovable) {
  const std::unique_ptr<BinaryFile> file = std::move(piece);
  Status ended = onRemovable ? file->Sync() : Status();
  if (ended) {
    ended = file->Close();
  }
  if (!ended) {
    return FailWithIoError(prompter, end, ended.Error());
  }
  if (!onRemovable) {
    return true;
  }
  const Status synced = SyncFolder(FolderOfFile(file->Path()));
  return synced || FailWithIoError(prompter, end, synced.Error());
}

SourceWatch WatchSource(const BinaryFile& source) {
  SourceWatch watch;
  const Result<FileFacts> facts = source.Facts();
  watch.watched = static_cast<bool>(facts);
  if (facts) {
    watch.atStart = *facts;
  }
  return watch;
}

Result<std::unique_ptr<BinaryFile>> OpenWatchedSource(Prompter& prompter, const std::string& name,
                                                      SourceWatch& watch) {
  Result<std::unique_ptr<BinaryFile>> source = BinaryFile::Open(name, BinaryFile::Mode::kRead);
  if (!source) {
    EndWithIoError(prompter, source.Error());
  } else {
    watch = WatchSource(**source);
  }
  return source;
}

bool SourceUnchanged(Prompter& prompter, JobEnd& end, const BinaryFile& source,
                     const SourceWatch& watch) {
  if (!watch.watched) {
    return true;
  }
  const Result<FileFacts> now = source.Facts();
  if (!now) {
    return FailWithIoError(prompter, end, now.Error());
  }
  if (now->size != watch.atStart.size || now->modifiedNs != watch.atStart.modifiedNs) {
    return FailWithIoError(prompter, end, {{}, source.Path()});
  }
  return true;
}

bool FailUnexpectedly(Prompter& prompter, JobEnd& end) {
  end = {JobOutcome::kFailed, 0};
  prompter.Ask(MakeMessage(texts::kUnexpectedError, Buttons::kOk, Icon::kStop));
  return false;
}

bool FailAtPieceLimit(Prompter& prompter, JobEnd& end, std::int64_t mostPieces) {
  end = {JobOutcome::kFailed, 0};
  prompter.Ask(MakeMessage(FillText(texts::kPieceLimitReached, FormatGrouped(mostPieces)),
                           Buttons::kOk, Icon::kStop));
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

Result<std::unique_ptr<BinaryFile>> CreatePiece(Prompter& prompter, const std::string& piece,
                                                bool offerRetry) {
  for (;;) {
    auto file = BinaryFile::Open(piece, BinaryFile::Mode::kCreateWrite);
    // Giving up on the creation ends the job by its failure, which keeps its cause.
    if (file) {
      return file;
    }
    if (!offerRetry) {
      prompter.Ask(MakeMessage(texts::kCannotCreate, Buttons::kOk, Icon::kWarning));
      return file;
    }
    if (prompter.Ask(MakeMessage(MessageKind::kRetryMedium, texts::kCannotCreate,
                                 Buttons::kRetryCancel, Icon::kWarning)) != Answer::kRetry) {
      return file;
    }
  }
}

Result<std::unique_ptr<BinaryFile>> CreateFollowingPiece(Prompter& prompter,
                                                         const std::string& piece, bool offerRetry,
                                                         bool onFixedDrive) {
  if (onFixedDrive) {
    const Status cleared = ClearNameForPiece(piece);
    if (!cleared) {
      prompter.Ask(MakeMessage(texts::kCannotCreate, Buttons::kOk, Icon::kWarning));
      return cleared.Error();
    }
  }
  return CreatePiece(prompter, piece, offerRetry);
}

bool TakeOpened(Result<std::unique_ptr<BinaryFile>> opened, std::unique_ptr<BinaryFile>& file,
                JobEnd& end) {
  if (!opened) {
    file.reset();
    end = {JobOutcome::kFailed, opened.Error()};
    return false;
  }
  file = std::move(*opened);
  return true;
}

}  // namespace kv
