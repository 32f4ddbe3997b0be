#include "divide/type0_divide.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/ascii_text.h"
#include "core/divide_settings.h"
#include "core/job_end.h"
#include "core/job_progress.h"
#include "core/job_state.h"
#include "core/job_texts.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "divide/ask_next_medium.h"
#include "divide/divide_steps.h"
#include "divide/media_check.h"
#include "divide/media_texts.h"
#include "divide/recovery_tap.h"
#include "divide/series_resume.h"
#include "platform/binary_file.h"
#include "platform/block_writer.h"
#include "platform/safe_create.h"
#include "platform/volumes.h"

namespace kv {

namespace {

constexpr std::int64_t kWindow = 1536;
constexpr std::int64_t kOverlap = 512;
// What a stream of unknown length (standard input) is taken to hold until it
// ends: more than any piece, and far from overflowing when counted off.
constexpr std::int64_t kStreamUntilItEnds = INT64_MAX / 4;

// The string a line or string split looks for: CR LF, or the user string in
// upper case with every "^M" standing for CR LF.
std::string SearchString(const DivideSettings& settings) {
  if (settings.Type0Type == 1) {
    return "\r\n";
  }
  std::string s = settings.DivideString;
  std::transform(s.begin(), s.end(), s.begin(), AsciiUpper);
  for (std::size_t at = s.find("^M"); at != std::string::npos; at = s.find("^M", at + 2)) {
    s[at] = '\r';
    s[at + 1] = '\n';
  }
  return s;
}

class Type0Divide {
 public:
  Type0Divide(const DivideSettings& settings, JobState& job, Prompter& prompter, Volumes& volumes,
              RecoveryTap* recovery)
      : settings_(settings),
        job_(job),
        prompter_(prompter),
        volumes_(volumes),
        recovery_(recovery) {}

  // How the job ended (the user was told why it stopped).
  JobEnd Run() { return Steps() ? JobEnd{JobOutcome::kDone} : end_; }

 private:
  // True when the job finished; false when it stopped and end_ holds why.
  bool Steps();
  bool IoFailure(const BinaryFile& file) { return FailWithIoError(prompter_, end_, file.Fault()); }
  bool StartFirstPiece();
  // Goes on behind the whole pieces an earlier run left, or starts afresh
  // when there are none.
  bool StartResumed();
  bool OpenSource();
  // Looks whether a stream has ended, which leaves no bytes remaining; false
  // when it cannot be read (the user was told).
  bool LookForStreamEnd();
  bool CheckMedia(bool firstPiece);
  // Copies a block of steps, polling for a cancel and showing progress after
  // each; false when the job must stop (the user was told why).
  bool CopyBlock();
  bool ExtendToMark();
  // Writes the first `n` bytes of buffer_ to the piece (and shows them to the recovery).
  bool WritePart(std::size_t n);
  bool NextPiece();
  // Names, checks and creates the piece after counter_.
  bool OpenNextPiece();
  bool Finish();
  bool ClosePiece();
  void Progress();

  const DivideSettings& settings_;
  JobState& job_;
  Prompter& prompter_;
  Volumes& volumes_;
  RecoveryTap* recovery_;

  std::string sourceName_;
  std::string dest_;
  std::unique_ptr<BinaryFile> source_;
  SourceWatch sourceWatch_;
  std::unique_ptr<BinaryFile> piece_;
  JobEnd end_;
  std::int64_t sourceSize_ = 0;
  std::int64_t remaining_ = 0;
  std::int64_t pieceSize_ = 0;
  std::int64_t pieceLeft_ = 0;
  std::int64_t planned_ = 0;
  std::uint64_t free_ = 0;
  int counter_ = 0;
  bool fitFree_ = false;
  bool stream_ = false;  // the source is a stream read until it ends
  double progressUnit_ = 0;
  std::array<std::byte, kWindow> buffer_{};
  std::array<char, kWindow> upper_{};
  // The bytes of several steps, read at once and written at once. Declared
  // after piece_: a block still being written at the end is written before
  // the piece closes.
  BlockWriter writer_;
  // Declared after writer_: the recovery data reads no byte of its blocks once they go.
  RecoveryTap::Settler recoverySettler_{recovery_};
};

bool Type0Divide::Steps() {
  job_.ProgressHold.store(kProgressHeld);
  sourceName_ = job_.JobSource();
  dest_ = job_.JobDest();
  stream_ = job_.InputDescriptor >= 0;
  sourceSize_ = stream_ ? kStreamUntilItEnds : job_.SourceSize;
  fitFree_ = job_.JobDivideSize == kDivideSizeFitsFreeSpace;
  counter_ = Type0FirstNumber(settings_);
  remaining_ = sourceSize_;
  progressUnit_ = static_cast<double>(sourceSize_) * 0.001;

  if (!(job_.ResumeDivide ? StartResumed() : StartFirstPiece())) {
    return false;
  }
  if (!piece_) {
    // Every piece was whole already.
    return Finish();
  }

  for (;;) {
    if (!CopyBlock()) {
      return false;
    }
    if (remaining_ > 0 && pieceLeft_ > 0) {
      Progress();
      continue;
    }
    // The piece holds every block before it is lengthened or closed.
    if (!writer_.Wait()) {
      return IoFailure(*piece_);
    }
    if (!LookForStreamEnd()) {
      return false;
    }
    if (remaining_ == 0) {
      return Finish();
    }
    if ((settings_.Type0Type == 1 || settings_.Type0Type == 2) && settings_.TimingSize == 1) {
      if (!ExtendToMark() || !LookForStreamEnd()) {
        return false;
      }
      if (remaining_ == 0) {
        return Finish();
      }
    }
    if (!NextPiece()) {
      return false;
    }
  }
}

bool Type0Divide::StartFirstPiece() {
  if (!CheckMedia(true)) {
    return false;
  }
  if (RefuseWritingOverSource(prompter_, end_, dest_, sourceName_)) {
    return false;
  }
  // A stream is opened first: one that brings nothing leaves no empty piece.
  if (stream_) {
    if (!OpenSource() || !LookForStreamEnd()) {
      return false;
    }
    if (remaining_ == 0) {
      end_ = {JobOutcome::kFailed, ENODATA, sourceName_};
      return false;
    }
  }
  if (!TakeOpened(CreatePiece(prompter_, dest_, true), piece_, end_) ||
      (!stream_ && !OpenSource())) {
    return false;
  }
  if (recovery_ != nullptr) {
    if (job_.PiecesOnFixedDrive) {
      recovery_->PiecesStayReadable();
    }
    recovery_->PieceBegun();
  }
  job_.SetJobMessage(texts::kDividing);
  job_.ProgressHold.store(kProgressLive);
  return true;
}

bool Type0Divide::OpenSource() {
  if (stream_) {
    // A stream has no size or time to watch.
    source_ = BinaryFile::ReadFrom(FileHandle(job_.InputDescriptor), sourceName_);
    return true;
  }
  return TakeOpened(OpenWatchedSource(prompter_, sourceName_, sourceWatch_), source_, end_);
}

bool Type0Divide::LookForStreamEnd() {
  if (!stream_ || remaining_ == 0) {
    return true;
  }
  std::byte next{};
  const std::int64_t got = source_->Read(std::span(&next, 1));
  if (got < 0) {
    return IoFailure(*source_);
  }
  if (got == 0) {
    remaining_ = 0;
    return true;
  }
  // The byte read is still in the buffer: the next block starts with it.
  return source_->Seek(source_->Position() - 1) || IoFailure(*source_);
}

bool Type0Divide::StartResumed() {
  if (!OpenSource()) {
    return false;
  }
  const bool cutAtMarks =
      (settings_.Type0Type == 1 || settings_.Type0Type == 2) && settings_.TimingSize == 1;
  const Type0PieceRule rule = fitFree_     ? Type0PieceRule::kAnyLength
                              : cutAtMarks ? Type0PieceRule::kAtLeast
                                           : Type0PieceRule::kExactSize;
  const std::string first = dest_;
  const PieceScheme scheme = Type0Scheme(settings_);
  const ResumeWatch watch = BeginResumeCheck(job_, [this](std::int64_t whole) {
    remaining_ = sourceSize_ - whole;
    Progress();
  });
  const ResumePoint point = FindType0ResumePoint(
      [&](int number) {
        return number == 1 ? first : SetPieceNumber(first, counter_ + number - 1, scheme);
      },
      rule, job_.JobDivideSize, *source_, watch);
  if (watch.Stopped()) {
    end_ = {JobOutcome::kCancelled};
    return false;
  }
  if (point.wholePieces == 0) {
    source_.reset();
    // Nothing of the first piece is kept: it is written again from the start.
    // A file of other bytes put there meanwhile stays, and the creation refuses it.
    job_.ProgressHold.store(kProgressHeld);
    if (Type0FirstPieceMatches(sourceName_, dest_)) {
      const Status cleared = ClearNameForPiece(dest_);
      if (!cleared) {
        return FailWithIoError(prompter_, end_, cleared.Error());
      }
    }
    return StartFirstPiece();
  }
  counter_ += point.wholePieces - 1;
  remaining_ = sourceSize_ - point.sourceOffset;
  if (remaining_ == 0) {
    return true;
  }
  if (!GoOnBehind(job_, point, *source_)) {
    return IoFailure(*source_);
  }
  return OpenNextPiece();
}

bool Type0Divide::CheckMedia(bool firstPiece) {
  MediaCheckRule rule;
  rule.fitFree = fitFree_;
  rule.tooSmallAtOrBelow = firstPiece ? 1 : 0;
  rule.fixedSize = job_.JobDivideSize;
  rule.needed = [this](std::int64_t pieceSize) {
    return std::min<std::int64_t>(pieceSize, remaining_);
  };
  const MediaCheckResult r = RunMediaCheck(volumes_, prompter_, dest_, rule);
  if (!r.passed) {
    end_ = r.end;
    return false;
  }
  pieceSize_ = r.pieceSize;
  free_ = r.freeSpace;
  planned_ = std::min<std::int64_t>(pieceSize_, remaining_);
  pieceLeft_ = planned_;
  return true;
}

bool Type0Divide::CopyBlock() {
  // Raw slices need no look at their bytes, and the kernel may move them,
  // unless recovery data is computed from them as they go.
  const bool copied = CopyDivideBlock(
      {writer_, source_.get(), *piece_, job_.RunState, !stream_ && NeedsNoBytes(recovery_),
       stream_},
      prompter_, end_, pieceLeft_, remaining_,
      [this](const std::byte* step, std::size_t n) {
        if (recovery_ != nullptr) {
          recovery_->Step(step, n);
        }
      },
      [this] { Progress(); });
  if (recovery_ != nullptr) {
    recovery_->Flush();
  }
  return copied;
}

// Lengthens a piece that has reached its nominal size up to the next line end
// or string, within the free space the piece leaves on the medium.
bool Type0Divide::ExtendToMark() {
  const auto planned = static_cast<std::uint64_t>(planned_);
  std::int64_t room =
      free_ < planned
          ? 0
          : static_cast<std::int64_t>(std::min<std::uint64_t>(free_ - planned, INT64_MAX));
  const std::string mark = SearchString(settings_);
  for (;;) {
    if (room == 0) {
      job_.ProgressHold.store(kProgressHeld);
      end_ = {JobOutcome::kFailed, ENOSPC, dest_};
      prompter_.Ask(
          MakeMessage(texts::kNoRoomToExtend, Buttons::kOk, Icon::kStop, texts::kShortageCaption));
      return false;
    }
    std::int64_t n = kWindow;
    if (room < kWindow && room <= remaining_) {
      n = room;
    } else if (remaining_ < kWindow) {
      n = remaining_;
    }
    const std::int64_t got =
        source_ ? source_->Read(std::span(buffer_.data(), static_cast<std::size_t>(n))) : -1;
    if (got != n && !(stream_ && got >= 0)) {
      return IoFailure(*source_);
    }
    if (got < n) {
      // The stream ended within the window: what it brought is the rest.
      remaining_ = n = got;
    }
    // Only the bytes before the first NUL take part in the search.
    std::size_t textLength = 0;
    while (textLength < static_cast<std::size_t>(n) && buffer_[textLength] != std::byte{0}) {
      upper_[textLength] = AsciiUpper(static_cast<char>(buffer_[textLength]));
      ++textLength;
    }
    const std::size_t found = std::string_view(upper_.data(), textLength).find(mark);
    if (found == std::string_view::npos) {
      if (n == kWindow) {
        // Look at the last bytes again at the head of the next window.
        if (!source_->Seek(source_->Position() - kOverlap)) {
          return IoFailure(*source_);
        }
        n = kWindow - kOverlap;
      }
      if (!WritePart(static_cast<std::size_t>(n))) {
        return IoFailure(*piece_);
      }
      remaining_ -= n;
      room -= n;
      if (remaining_ == 0) {
        return true;
      }
      continue;
    }
    const std::int64_t cut =
        static_cast<std::int64_t>(found + mark.size() * (settings_.TimingString == 1 ? 1 : 0));
    if (!WritePart(static_cast<std::size_t>(cut))) {
      return IoFailure(*piece_);
    }
    if (!source_->Seek(source_->Position() + (cut - n))) {
      return IoFailure(*source_);
    }
    remaining_ -= cut;
    room = std::max<std::int64_t>(0, room - cut);
    return true;
  }
}

bool Type0Divide::WritePart(std::size_t n) {
  if (recovery_ != nullptr) {
    recovery_->WrittenDirectly(std::span(buffer_.data(), n));
  }
  return piece_->Write(buffer_.data(), n);
}

bool Type0Divide::NextPiece() {
  Progress();
  job_.ProgressHold.store(kProgressPieceChange);
  return ClosePiece() && OpenNextPiece();
}

bool Type0Divide::OpenNextPiece() {
  const std::int64_t mostPieces = PieceFormatOf(settings_.DivideType).mostPieces;
  if (counter_ >= mostPieces) {
    return FailAtPieceLimit(prompter_, end_, mostPieces);
  }
  ++counter_;
  dest_ = SetPieceNumber(dest_, counter_, Type0Scheme(settings_));
  job_.SetJobDest(dest_, true);
  if (RefuseWritingOverSource(prompter_, end_, dest_, sourceName_)) {
    return false;
  }
  if (!job_.PiecesOnFixedDrive && !AskNextMedium(prompter_, dest_, Answer::kYes)) {
    return false;
  }
  if (!CheckMedia(false)) {
    return false;
  }
  if (!TakeOpened(CreateFollowingPiece(prompter_, dest_, false, job_.PiecesOnFixedDrive), piece_,
                  end_)) {
    return false;
  }
  if (recovery_ != nullptr) {
    recovery_->PieceBegun();
  }
  job_.ProgressHold.store(kProgressLive);
  Progress();
  return true;
}

bool Type0Divide::ClosePiece() {
  if (recovery_ != nullptr) {
    recovery_->PieceEnded();
  }
  return kv::ClosePiece(prompter_, end_, piece_, !job_.PiecesOnFixedDrive);
}

bool Type0Divide::Finish() {
  if (!SourceUnchanged(prompter_, end_, *source_, sourceWatch_)) {
    return false;
  }
  Progress();
  job_.ProgressPermille.store(1000);
  source_.reset();
  if (piece_ && !ClosePiece()) {
    return false;
  }
  if (job_.ResumeDivide) {
    const Status removed = RemovePiecesAfter(dest_, counter_, Type0Scheme(settings_));
    if (!removed) {
      return FailWithIoError(prompter_, end_, {removed.Error().error, dest_});
    }
  }
  if (recovery_ != nullptr) {
    recovery_->WriteSet(prompter_, volumes_, job_, dest_, !job_.PiecesOnFixedDrive);
  }
  return true;
}

void Type0Divide::Progress() {
  const std::int64_t done = sourceSize_ - remaining_;
  ReportBytes(job_, done);
  // A source under 1000 bytes has no progress unit worth dividing by; a
  // stream's share is not known before its end.
  const int permille = stream_ ? (remaining_ == 0 ? 1000 : 0)
                       : sourceSize_ < 1000
                           ? 1000
                           : static_cast<int>(static_cast<double>(done) / progressUnit_);
  job_.ProgressPermille.store(std::min(permille, 1000));
}

}  // namespace

void RunType0Divide(const DivideSettings& settings, JobState& job, Prompter& prompter,
                    Volumes& volumes, RecoveryTap* recovery) {
  RunToEnd(job, JobKind::kDivide,
           [&] { return Type0Divide(settings, job, prompter, volumes, recovery).Run(); });
}

}  // namespace kv
