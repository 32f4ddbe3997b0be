#include "restore/type0_restore.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/divide_settings.h"
#include "core/job_end.h"
#include "core/job_progress.h"
#include "core/job_state.h"
#include "core/job_texts.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "core/text_fill.h"
#include "platform/binary_file.h"
#include "platform/block_writer.h"
#include "platform/step_copy.h"
#include "restore/rebuild_on_the_way.h"
#include "restore/restore_output.h"
#include "restore/restore_texts.h"

namespace kv {

namespace {

class Type0Restore {
 public:
  Type0Restore(const DivideSettings& settings, JobState& job, Prompter& prompter)
      : settings_(settings), job_(job), prompter_(prompter) {}

  JobEnd Run() { return Steps() ? JobEnd{JobOutcome::kDone} : end_; }

 private:
  // True when the job is done; false when it stopped and end_ holds why.
  bool Steps();
  // Reads and discards `count` leading bytes of the open piece; false on a read error.
  bool SkipHead(int count);
  // Copies a block of steps, polling for a cancel (then cancelled_ is set)
  // and showing progress after each; false on a read or write error.
  bool CopyBlock();
  void ShowProgress();
  // Starts the piece just opened: its length and progress unit; false
  // (end_ set) when its size cannot be told.
  bool BeginPiece();
  // Names and opens the piece after the current one; false when the series ends here.
  bool OpenNextPiece();
  // Ends the job on an input/output error, `failure` (a copy: the files
  // close first). Always false.
  bool IoError(Failure failure);
  bool IoError(const BinaryFile& file) { return IoError(file.Fault()); }
  // The file behind a failed block: the destination when its write failed,
  // else the piece (no errno for a piece cut short).
  const BinaryFile& CopyFailure() const;

  const DivideSettings& settings_;
  JobState& job_;
  Prompter& prompter_;
  JobEnd end_;
  std::unique_ptr<BinaryFile> piece_;
  std::unique_ptr<BinaryFile> dest_;
  std::string pieceName_;
  int number_ = 0;
  std::int64_t pieceLeft_ = 0;
  double progressUnit_ = 0;
  std::int64_t written_ = 0;
  bool cancelled_ = false;
  std::array<std::byte, kStepSize> buffer_{};
  // The bytes of several steps, read at once and written at once. Declared
  // after dest_: a block still being written at the end is written before
  // the destination closes.
  BlockWriter writer_;
};

bool Type0Restore::IoError(Failure failure) {
  // Nothing is left being written when the destination closes.
  writer_.Wait();
  piece_.reset();
  dest_.reset();
  return FailWithIoError(prompter_, end_, std::move(failure));
}

bool Type0Restore::SkipHead(int count) {
  // A stored cut below zero (the settings keep what they are given) cuts nothing.
  count = std::max(count, 0);
  std::int64_t toSkip = count;
  while (toSkip > 0) {
    const std::int64_t want = toSkip < kStepSize ? toSkip : kStepSize;
    const std::int64_t got =
        piece_->Read(std::span(buffer_.data(), static_cast<std::size_t>(want)));
    if (got < 0) {
      return false;
    }
    if (got < want) {
      break;  // the cut reaches past the piece's end
    }
    toSkip -= got;
  }
  // The whole cut counts, so a cut larger than the piece leaves nothing of it.
  pieceLeft_ -= count;
  return true;
}

bool Type0Restore::CopyBlock() {
  // A block never crosses the end of a piece. Raw slices need no look at
  // their bytes: the kernel may move them.
  const StepCopy copy{writer_, piece_.get(), *dest_, job_.RunState, true};
  const auto countStep = [this](const std::byte*, std::size_t n) {
    pieceLeft_ -= static_cast<std::int64_t>(n);
    written_ += static_cast<std::int64_t>(n);
  };
  switch (CopyBlockOfSteps(copy, std::max<std::int64_t>(pieceLeft_, 0), countStep,
                           [this] { ShowProgress(); })) {
    case StepsEnd::kBlockDone:
      return true;
    case StepsEnd::kCancelled:
      cancelled_ = true;
      return true;
    default:
      // A piece that no longer holds the bytes its length promised is a read error.
      return false;
  }
}

void Type0Restore::ShowProgress() {
  ReportBytes(job_, written_);
  if (pieceLeft_ > 0 && progressUnit_ > 0) {
    // The whole difference is truncated toward zero.
    job_.ProgressPermille.store(
        static_cast<int>(1000.0 - static_cast<double>(pieceLeft_) / progressUnit_));
  }
}

bool Type0Restore::BeginPiece() {
  const Result<FileFacts> facts = piece_->Facts();
  if (!facts) {
    return IoError(facts.Error());
  }
  pieceLeft_ = facts->size;
  progressUnit_ = static_cast<double>(pieceLeft_) * 0.001;
  return true;
}

bool Type0Restore::OpenNextPiece() {
  ++number_;
  job_.ProgressPermille.store(1000);
  job_.ProgressHold.store(kProgressPieceChange);
  piece_.reset();
  const PieceScheme scheme =
      job_.ThreeDigitNumbering ? PieceScheme::kThreeDigit : PieceScheme::kAddedChar;
  pieceName_ = SetPieceNumber(pieceName_, number_, scheme);
  job_.SetJobSource(pieceName_, true);

  if (!job_.PiecesOnFixedDrive) {
    const Answer a = prompter_.Ask(MakeMessage(MessageKind::kNextMedium,
                                               FillText(texts::kNextMediumQuestion, pieceName_),
                                               Buttons::kYesNo, Icon::kQuestion));
    if (a != Answer::kYes) {
      return false;
    }
  }
  while (!(piece_ = BinaryFile::Open(pieceName_, BinaryFile::Mode::kRead).ValueOr(nullptr))) {
    Message missing = MakeMessage(MessageKind::kNextPieceMissing,
                                  FillText(texts::kPieceMissingQuestion, pieceName_),
                                  Buttons::kRetryCancel, Icon::kQuestion);
    missing.subject = pieceName_;
    if (prompter_.Ask(missing) != Answer::kRetry) {
      return false;
    }
  }
  return true;
}

bool Type0Restore::Steps() {
  job_.ProgressHold.store(kProgressHeld);
  pieceName_ = job_.JobSource();
  number_ = PieceNumberAtEnd(pieceName_, job_.ThreeDigitNumbering ? 3 : 2);

  auto opened = BinaryFile::Open(pieceName_, BinaryFile::Mode::kRead);
  if (!opened) {
    return IoError(opened.Error());
  }
  piece_ = std::move(*opened);
  if (!BeginPiece()) {
    return false;
  }
  auto created = CreateRestoreOutput(job_);
  if (!created) {
    return IoError(created.Error());
  }
  dest_ = std::move(*created);
  job_.SetJobMessage(texts::kRestoring);
  job_.ProgressHold.store(kProgressLive);
  if (settings_.HeadCut && !SkipHead(settings_.HeadCutFirst)) {
    return IoError(*piece_);
  }

  for (;;) {
    if (!CopyBlock()) {
      return IoError(CopyFailure());
    }
    if (cancelled_) {
      piece_.reset();
      dest_.reset();
      end_ = {JobOutcome::kCancelled};
      return false;
    }
    if (pieceLeft_ > 0) {
      ShowProgress();
      continue;
    }
    // A piece's bytes are all written before the next one is asked for.
    if (!writer_.Wait()) {
      return IoError(*dest_);
    }
    if (!OpenNextPiece()) {
      break;
    }
    if (!BeginPiece()) {
      return false;
    }
    if (settings_.HeadCut && !SkipHead(settings_.HeadCutNext)) {
      return IoError(*piece_);
    }
    job_.ProgressHold.store(kProgressLive);
    ShowProgress();
  }

  piece_.reset();
  // Bytes still buffered that cannot be written make the result incomplete.
  if (const Status closed = dest_->Close(); !closed) {
    return IoError(closed.Error());
  }
  // The count shown at the end covers the last step too.
  ReportBytes(job_, written_);
  return true;
}

const BinaryFile& Type0Restore::CopyFailure() const {
  return dest_->Error() != 0 ? *dest_ : *piece_;
}

}  // namespace

void RunType0Restore(const DivideSettings& settings, JobState& job, Prompter& prompter) {
  RunToEnd(job, JobKind::kRestore, [&] {
    return RestoreWithRebuild(job, prompter,
                              [&] { return Type0Restore(settings, job, prompter).Run(); });
  });
}

}  // namespace kv
