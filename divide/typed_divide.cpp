#include "divide/typed_divide.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/crc16.h"
#include "core/divide_settings.h"
#include "core/job_end.h"
#include "core/job_progress.h"
#include "core/job_state.h"
#include "core/job_texts.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "core/stub_data_file.h"
#include "divide/ask_next_medium.h"
#include "divide/divide_steps.h"
#include "divide/media_check.h"
#include "divide/recovery_tap.h"
#include "divide/series_resume.h"
#include "divide/typed_layout.h"
#include "platform/binary_file.h"
#include "platform/block_writer.h"
#include "platform/executable_file.h"
#include "platform/file_helpers.h"
#include "platform/safe_create.h"
#include "platform/volumes.h"

namespace kv {

namespace {

// The stub goes to the piece and, when recovery data is computed, to it too.
class StubSink final : public ByteSink {
 public:
  StubSink(BinaryFile& piece, RecoveryTap* recovery) : piece_(piece), recovery_(recovery) {}
  bool Write(std::span<const std::byte> data) override {
    if (recovery_ != nullptr) {
      recovery_->WrittenDirectly(data);
    }
    return piece_.Write(data);
  }

 private:
  BinaryFile& piece_;
  RecoveryTap* recovery_;
};

class TypedDivide {
 public:
  TypedDivide(const DivideSettings& settings, JobState& job, Prompter& prompter, Volumes& volumes,
              StubDataFile& stubs, RecoveryTap* recovery)
      : settings_(settings),
        job_(job),
        prompter_(prompter),
        volumes_(volumes),
        stubs_(stubs),
        recovery_(recovery) {}

  // How the job ended (the user was told why it stopped).
  JobEnd Run() { return Steps() ? JobEnd{JobOutcome::kDone} : end_; }

 private:
  // True when the job finished; false when it stopped and end_ holds why.
  bool Steps();
  bool IoFailure(const BinaryFile& file) { return FailWithIoError(prompter_, end_, file.Fault()); }
  bool WriteFailure() {
    DropPieceBegunAfterFailure();
    return FailWithIoError(prompter_, end_, writer_.Fault());
  }
  // The piece begun while the writer was ending the one before, when ending
  // that one failed: it holds no byte of the body yet, and goes.
  void DropPieceBegunAfterFailure();
  std::vector<std::uint8_t> FirstHeader(std::int64_t divideSize) const {
    return series_.FirstHeader(divideSize);
  }
  bool StartFirstPiece();
  // Goes on behind the whole pieces an earlier run left, or starts afresh
  // when there are none.
  bool StartResumed();
  // Every piece was whole already: the job is done without writing.
  bool FinishedBefore();
  // Writes the trailer (a checksummed format has one) behind the body and
  // closes the piece.
  bool EndPiece();
  bool NextPiece();
  // Names, checks and creates the piece after pieceNumber_.
  bool OpenNextPiece();
  // The medium for the next piece: checked, and its piece size taken; false
  // (end_ set) when refused.
  bool SizeNextPiece();
  // Header and trailer bytes the next piece carries besides its body.
  std::int64_t NextOverhead(std::int64_t divideSize) const {
    return NextPieceOverhead(Format(), pieceNumber_, divideSize, remaining_);
  }
  bool Finish();
  void Progress();
  const PieceFormat& Format() const { return series_.Format(); }
  // Writes what opens or closes a piece (and shows it to the recovery).
  bool WriteFrame(BinaryFile& piece, std::span<const std::byte> bytes) {
    if (recovery_ != nullptr) {
      recovery_->WrittenDirectly(bytes);
    }
    return bytes.empty() || piece.Write(bytes);
  }
  // Type1 and Type2 headers describe no piece beyond 2 GB.
  std::int64_t LargestPiece() const { return Format().largestDivideSize; }

  const DivideSettings& settings_;
  JobState& job_;
  Prompter& prompter_;
  Volumes& volumes_;
  StubDataFile& stubs_;
  RecoveryTap* recovery_;

  TypedSeries series_;
  bool fitFree_ = false;
  bool selfRestoring_ = false;
  int kind_ = 0;
  std::int64_t stubSize_ = 0;
  std::string sourceName_;
  std::string dest_;
  std::int64_t sourceSize_ = 0;
  std::int64_t remaining_ = 0;
  std::int64_t room_ = 0;
  std::int64_t divideSize_ = 0;
  int pieceNumber_ = 1;
  // What ties the following pieces to the first (its series identity or check byte).
  std::uint16_t identity_ = 0;
  Crc16 crc_;
  std::unique_ptr<BinaryFile> source_;
  SourceWatch sourceWatch_;
  std::unique_ptr<BinaryFile> piece_;
  JobEnd end_;
  // The bytes of several steps, read at once and written at once. Declared
  // after piece_: a block still being written at the end is written before
  // the piece closes.
  BlockWriter writer_;
  // Declared after writer_: the recovery data reads no byte of its blocks once they go.
  RecoveryTap::Settler recoverySettler_{recovery_};
};

bool TypedDivide::Steps() {
  job_.ProgressHold.store(kProgressHeld);
  const int divideType = settings_.DivideType;
  if (!IsDivideType(divideType) || PieceFormatOf(divideType).RawSlices()) {
    return FailUnexpectedly(prompter_, end_);
  }
  series_ = DescribeTypedSeries(settings_, job_, stubs_, job_.JobSource());
  fitFree_ = series_.fitFree;
  selfRestoring_ = series_.selfRestoring;
  kind_ = job_.SelfRestoreKind;
  stubSize_ = series_.stubSize;
  sourceName_ = series_.sourceName;
  dest_ = job_.JobDest();
  sourceSize_ = series_.sourceSize;

  if (!(job_.ResumeDivide ? StartResumed() : StartFirstPiece())) {
    return false;
  }
  if (!piece_) {
    return FinishedBefore();
  }
  for (;;) {
    // A body without a CRC or recovery data computed as it goes is moved by
    // the kernel; a checksummed body's CRC and that recovery data are
    // computed from the block its bytes are read into.
    const bool checksummed = Format().Checksummed();
    const bool copied = CopyDivideBlock(
        {writer_, source_.get(), *piece_, job_.RunState, !checksummed && NeedsNoBytes(recovery_)},
        prompter_, end_, room_, remaining_,
        [this, checksummed](const std::byte* step, std::size_t n) {
          if (checksummed) {
            crc_.Update(step, n, true);
          }
          if (recovery_ != nullptr) {
            recovery_->Step(step, n);
          }
        },
        [this] { Progress(); });
    if (recovery_ != nullptr) {
      recovery_->Flush();
    }
    if (!copied) {
      DropPieceBegunAfterFailure();
      return false;
    }
    if (remaining_ > 0 && room_ > 0) {
      Progress();
      continue;
    }
    if (remaining_ == 0) {
      return Finish();
    }
    if (!NextPiece()) {
      return false;
    }
  }
}

bool TypedDivide::StartFirstPiece() {
  const std::int64_t total = sourceSize_ + stubSize_;
  MediaCheckRule rule;
  rule.fitFree = fitFree_;
  rule.tooSmallAtOrBelow = static_cast<std::uint64_t>(stubSize_ + kStepSize);
  // Type1 and Type2 pieces never pass 2 GB, whatever size they were given.
  rule.fixedSize = std::min(job_.JobDivideSize, LargestPiece());
  rule.largestPiece = LargestPiece();
  // The whole first piece must fit: stub, header, body and trailer.
  rule.needed = [&](std::int64_t divideSize) {
    const auto headerLength = static_cast<std::int64_t>(FirstHeader(divideSize).size());
    return std::min<std::int64_t>(divideSize, total + headerLength + Format().trailerLength);
  };
  const MediaCheckResult checked = RunMediaCheck(volumes_, prompter_, dest_, rule);
  if (!checked.passed) {
    end_ = checked.end;
    return false;
  }
  divideSize_ = checked.pieceSize;

  const std::vector<std::uint8_t> header = FirstHeader(divideSize_);
  room_ =
      FirstPieceRoom(Format(), divideSize_, stubSize_, static_cast<std::int64_t>(header.size()));
  if (header.empty() || room_ <= 0) {
    return FailUnexpectedly(prompter_, end_);
  }
  identity_ = series_.Identity(divideSize_);

  if (RefuseWritingOverSource(prompter_, end_, dest_, sourceName_)) {
    return false;
  }
  if (!TakeOpened(CreatePiece(prompter_, dest_, true), piece_, end_)) {
    return false;
  }
  job_.SetJobMessage(texts::kDividing);
  job_.ProgressHold.store(kProgressLive);
  if (recovery_ != nullptr) {
    if (job_.PiecesOnFixedDrive) {
      recovery_->PiecesStayReadable();
    }
    recovery_->PieceBegun();
  }
  StubSink stub(*piece_, recovery_);
  if ((selfRestoring_ && !stubs_.CopyStub(kind_, stub)) ||
      !WriteFrame(*piece_, std::as_bytes(std::span(header)))) {
    return IoFailure(*piece_);
  }
  if (selfRestoring_) {
    // Best effort: on a medium that keeps no modes (FAT) the series is whole
    // all the same, and the first piece runs once copied off it.
    static_cast<void>(MakeExecutable(dest_));
  }
  remaining_ = sourceSize_;
  if (!TakeOpened(OpenWatchedSource(prompter_, sourceName_, sourceWatch_), source_, end_)) {
    return false;
  }
  crc_.Reset();
  return true;
}

bool TypedDivide::StartResumed() {
  if (!TakeOpened(OpenWatchedSource(prompter_, sourceName_, sourceWatch_), source_, end_)) {
    return false;
  }
  const std::optional<std::int64_t> firstSize =
      TypedFirstPieceDivideSize(series_, dest_, job_.JobDivideSize);
  const ResumeWatch watch = BeginResumeCheck(job_, [this](std::int64_t whole) {
    remaining_ = sourceSize_ - whole;
    Progress();
  });
  const ResumePoint point = firstSize ? FindTypedResumePoint(series_, dest_, *firstSize,
                                                             job_.JobDivideSize, *source_, watch)
                                      : ResumePoint{};
  if (watch.Stopped()) {
    end_ = {JobOutcome::kCancelled};
    return false;
  }
  if (point.wholePieces == 0) {
    source_.reset();
    // Nothing of the first piece is kept: it is written again from the start.
    // A file of another series put there meanwhile stays, and the creation refuses it.
    job_.ProgressHold.store(kProgressHeld);
    if (firstSize) {
      const Status cleared = ClearNameForPiece(dest_);
      if (!cleared) {
        return FailWithIoError(prompter_, end_, cleared.Error());
      }
    }
    return StartFirstPiece();
  }
  identity_ = series_.Identity(*firstSize);
  pieceNumber_ = point.wholePieces;
  remaining_ = sourceSize_ - point.sourceOffset;
  if (remaining_ == 0) {
    return true;
  }
  if (!GoOnBehind(job_, point, *source_)) {
    return IoFailure(*source_);
  }
  return OpenNextPiece();
}

bool TypedDivide::FinishedBefore() {
  source_.reset();
  ReportBytes(job_, sourceSize_);
  job_.ProgressPermille.store(1000);
  return true;
}

bool TypedDivide::EndPiece() {
  const std::vector<std::uint8_t> trailer = Format().Trailer(crc_.Value());
  const std::span<const std::byte> tail = std::as_bytes(std::span(trailer));
  if (recovery_ != nullptr) {
    recovery_->WrittenDirectly(tail);
    recovery_->PieceEnded();
  }
  if (job_.PiecesOnFixedDrive) {
    // The writer ends and closes the piece while the next one is started.
    return writer_.Finish(std::move(piece_), tail) || WriteFailure();
  }
  // A piece on a removable medium is whole on it before the next-medium question.
  if (!writer_.Wait()) {
    return WriteFailure();
  }
  if (!piece_->Write(tail)) {
    return IoFailure(*piece_);
  }
  return kv::ClosePiece(prompter_, end_, piece_, true);
}

void TypedDivide::DropPieceBegunAfterFailure() {
  const Failure written = writer_.Fault();
  if (!piece_ || !written.error || written.path == piece_->Path()) {
    return;
  }
  const Result<FileFacts> facts = piece_->Facts();
  // The write that failed is what the user is told of: this piece goes unseen.
  static_cast<void>(piece_->Close());
  // Only the file this job created: anything put under the name since stays.
  if (facts) {
    static_cast<void>(
        RemoveAskedFile(piece_->Path(), {NameKind::kRegular, facts->device, facts->inode}));
  }
  piece_.reset();
}

bool TypedDivide::Finish() {
  if (!SourceUnchanged(prompter_, end_, *source_, sourceWatch_)) {
    return false;
  }
  if (!EndPiece()) {
    return false;
  }
  if (!writer_.Wait()) {
    return WriteFailure();
  }
  source_.reset();
  ReportBytes(job_, sourceSize_);
  job_.ProgressPermille.store(1000);
  if (job_.ResumeDivide) {
    const Status removed = RemovePiecesAfter(dest_, pieceNumber_, Format().scheme);
    if (!removed) {
      return FailWithIoError(prompter_, end_, {removed.Error().error, dest_});
    }
  }
  if (recovery_ != nullptr) {
    recovery_->WriteSet(prompter_, volumes_, job_, dest_, !job_.PiecesOnFixedDrive);
  }
  return true;
}

bool TypedDivide::NextPiece() {
  Progress();
  job_.ProgressHold.store(kProgressPieceChange);
  return EndPiece() && OpenNextPiece();
}

bool TypedDivide::OpenNextPiece() {
  // Fitted to small media, a series can need more pieces than it can number.
  if (pieceNumber_ >= Format().mostPieces) {
    return FailAtPieceLimit(prompter_, end_, Format().mostPieces);
  }
  ++pieceNumber_;
  dest_ = SetPieceNumber(dest_, pieceNumber_, Format().scheme);
  job_.SetJobDest(dest_, true);
  if (RefuseWritingOverSource(prompter_, end_, dest_, sourceName_)) {
    return false;
  }
  if (!job_.PiecesOnFixedDrive && !AskNextMedium(prompter_, dest_, Answer::kNo)) {
    return false;
  }

  if (!SizeNextPiece()) {
    return false;
  }
  const std::int64_t overhead = NextOverhead(divideSize_);
  const std::int64_t headerLength = overhead - Format().trailerLength;

  const std::vector<std::uint8_t> header =
      NextPieceHeader(Format(), pieceNumber_, divideSize_, remaining_, identity_);
  room_ = std::int64_t{divideSize_} - overhead;
  if (static_cast<std::int64_t>(header.size()) != headerLength || room_ <= 0) {
    return FailUnexpectedly(prompter_, end_);
  }

  if (!TakeOpened(CreateFollowingPiece(prompter_, dest_, true, job_.PiecesOnFixedDrive), piece_,
                  end_)) {
    return false;
  }
  if (recovery_ != nullptr) {
    recovery_->PieceBegun();
  }
  if (!WriteFrame(*piece_, std::as_bytes(std::span(header)))) {
    return IoFailure(*piece_);
  }
  crc_.Reset();
  job_.ProgressHold.store(kProgressLive);
  Progress();
  return true;
}

bool TypedDivide::SizeNextPiece() {
  MediaCheckRule rule;
  rule.fitFree = fitFree_;
  // A medium that cannot take one body byte behind the header is too small.
  rule.tooSmallAtOrBelow = static_cast<std::uint64_t>(std::max<std::int64_t>(1, NextOverhead(0)));
  // Type1 and Type2 pieces never pass 2 GB, whatever size they were given.
  rule.fixedSize = std::min(job_.JobDivideSize, LargestPiece());
  rule.largestPiece = LargestPiece();
  rule.needed = [&](std::int64_t divideSize) {
    return std::min<std::int64_t>(divideSize, remaining_ + NextOverhead(divideSize));
  };
  const MediaCheckResult checked = RunMediaCheck(volumes_, prompter_, dest_, rule);
  if (!checked.passed) {
    end_ = checked.end;
    return false;
  }
  divideSize_ = checked.pieceSize;
  return true;
}

void TypedDivide::Progress() {
  const std::int64_t done = sourceSize_ - remaining_;
  ReportBytes(job_, done);
  job_.ProgressPermille.store(TypedPermille(done, sourceSize_));
}

}  // namespace

void RunTypedDivide(const DivideSettings& settings, JobState& job, Prompter& prompter,
                    Volumes& volumes, StubDataFile& stubs, RecoveryTap* recovery) {
  RunToEnd(job, JobKind::kDivide,
           [&] { return TypedDivide(settings, job, prompter, volumes, stubs, recovery).Run(); });
}

}  // namespace kv
