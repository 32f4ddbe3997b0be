#include "divide/divide_steps.h"

#include <algorithm>
#include <cerrno>

#include "core/block_writer.h"
#include "core/job_state.h"
#include "core/job_texts.h"
#include "core/prompter.h"
#include "divide/media_texts.h"
#include "platform/file_helpers.h"

namespace kv {

namespace {

constexpr std::int64_t kStep = 1024;

// Reads the source into `block` behind its `filled` bytes until at least
// `needed` are there (more when they come at once, up to the block's end).
// False when the source (or its absence) cannot give them: a short or failed read.
bool FillSteps(BinaryFile* source, std::span<std::byte> block, std::int64_t& filled,
               std::int64_t needed) {
  if (filled >= needed) {
    return true;
  }
  if (source == nullptr) {
    return false;
  }
  const std::int64_t got = source->ReadAtLeast(block.subspan(static_cast<std::size_t>(filled)),
                                               static_cast<std::size_t>(needed - filled));
  filled += std::max<std::int64_t>(got, 0);
  return filled >= needed;
}

}  // namespace

bool CopyBlockOfSteps(const BlockCopy& copy, std::int64_t& owed, std::int64_t& remaining,
                      const std::function<void(const std::byte*, std::size_t)>& onStep,
                      const std::function<void()>& progress) {
  const std::int64_t blockLength =
      std::min({static_cast<std::int64_t>(BlockWriter::kBlockSize), owed, remaining});
  std::byte* const block = copy.writer.Block();
  std::int64_t filled = 0;
  std::int64_t done = 0;
  // The completed steps of this block, in the piece before anything else happens.
  auto writeSteps = [&] {
    const bool handedOver = copy.writer.Submit(copy.piece, static_cast<std::size_t>(done));
    return copy.writer.Wait() && handedOver;
  };
  for (;;) {
    const std::int64_t n = std::min({kStep, owed, remaining});
    // A step the source cannot fill ends the job with what came before it.
    if (!FillSteps(copy.source, std::span(block, static_cast<std::size_t>(blockLength)), filled,
                   done + n)) {
      writeSteps();
      return FailWithIoError(copy.prompter, copy.end,
                             copy.source ? copy.source->Error() : copy.sourceOpenError);
    }
    onStep(block + done, static_cast<std::size_t>(n));
    done += n;
    owed -= n;
    remaining -= n;
    if (copy.job.RunState.load() == kRunCancelRequested) {
      if (!writeSteps()) {
        return FailWithIoError(copy.prompter, copy.end, copy.writer.Error());
      }
      copy.end = {JobOutcome::kCancelled};
      return false;
    }
    if (done == blockLength) {
      break;
    }
    progress();
  }
  // The block is written while the next one is read.
  if (!copy.writer.Submit(copy.piece, static_cast<std::size_t>(done))) {
    return FailWithIoError(copy.prompter, copy.end, copy.writer.Error());
  }
  return true;
}

bool FailWithIoError(Prompter& prompter, JobEnd& end, int error) {
  end = {JobOutcome::kFailed, error};
  prompter.Ask(MakeMessage(texts::kIoError, Buttons::kOk, Icon::kStop));
  return false;
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
      end = {JobOutcome::kFailed, errno};
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

}  // namespace kv
