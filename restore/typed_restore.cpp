#include "restore/typed_restore.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/crc16.h"
#include "core/divide_settings.h"
#include "core/job_end.h"
#include "core/job_progress.h"
#include "core/job_state.h"
#include "core/job_texts.h"
#include "core/marker_scan.h"
#include "core/packed_time.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "core/text_fill.h"
#include "core/typed_header_reader.h"
#include "platform/binary_file.h"
#include "platform/block_writer.h"
#include "platform/file_helpers.h"
#include "platform/step_copy.h"
#include "restore/rebuild_on_the_way.h"
#include "restore/restore_output.h"
#include "restore/restore_texts.h"

namespace kv {

namespace {

// Bytes behind a following marker that must exist for its header to be read.
constexpr std::int64_t kMinNextHeaderTail = 10;

class TypedRestore {
 public:
  TypedRestore(JobState& job, Prompter& prompter) : job_(job), prompter_(prompter) {}

  JobEnd Run() { return Steps() ? JobEnd{JobOutcome::kDone} : end_; }

 private:
  // Each step: true when the job goes on (or, for Steps and Finish, is
  // done); false when it stopped and end_ holds why.
  bool Steps();
  // The files closed and the job cancelled.
  bool Cancel() {
    CloseAll();
    end_ = {JobOutcome::kCancelled};
    return false;
  }
  // A piece whose bytes are not what its header promised: no call failed.
  bool Damaged() {
    end_ = {JobOutcome::kFailed, 0};
    return false;
  }

  bool Start();
  // The size of the piece just opened.
  bool TakePieceSize();
  // Copies a block of steps, polling for a cancel and showing progress after each.
  bool CopyBlock();
  bool ChangePiece();
  bool Finish();
  bool OpenNextPiece();
  // The following piece's marker, asked about until found or given up.
  bool FindNextMarker();
  // What ties a following piece to the series, and where its body starts.
  bool ReadNextHeader();
  // Reads the stored checksum of the piece just copied; true when it matches.
  bool ChecksumMatches();
  void ProgressUpdate();
  void CloseAll();

  Answer Ask(MessageKind kind, const char* pattern, const std::string& name, Buttons buttons,
             Icon icon, const char* caption = kCaption) {
    // Every byte read so far is in the output before a question is shown.
    writer_.Wait();
    Message m = MakeMessage(kind, FillText(pattern, name), buttons, icon, caption);
    m.subject = name;
    return prompter_.Ask(m);
  }
  void Tell(const char* pattern, Icon icon, const char* caption = kCaption) {
    Ask(MessageKind::kNotice, pattern, pieceName_, Buttons::kOk, icon, caption);
  }
  // The piece ends before the bytes it promised, or could not be read there.
  bool EndMissing() {
    if (piece_ && piece_->Error() != 0) {
      return IoError(*piece_);
    }
    CloseAll();
    Tell(texts::kPieceEndMissing, Icon::kStop);
    return Damaged();
  }
  // A header that is not what it should be, or one that could not be read.
  bool Broken(const char* caption) {
    if (piece_ && piece_->Error() != 0) {
      return IoError(*piece_);
    }
    CloseAll();
    Tell(texts::kPieceBroken, Icon::kStop, caption);
    return Damaged();
  }
  // `failure` is a copy: the files close first.
  bool IoError(Failure failure) {
    CloseAll();
    return FailWithIoError(prompter_, end_, std::move(failure));
  }
  bool IoError(const BinaryFile& file) { return IoError(file.Fault()); }

  JobState& job_;
  Prompter& prompter_;
  JobEnd end_;
  const PieceFormat* format_ = nullptr;
  std::unique_ptr<BinaryFile> piece_;
  std::unique_ptr<BinaryFile> dest_;
  std::string pieceName_;
  std::int64_t pieceSize_ = 0;
  int pieceNumber_ = 1;
  std::int64_t remaining_ = 0;
  std::int64_t bodyLeft_ = 0;
  Crc16 crc_;
  // The bytes of several steps, read at once and written at once. Declared
  // after dest_: a block still being written at the end is written before
  // the destination closes.
  BlockWriter writer_;
};

void TypedRestore::CloseAll() {
  // Nothing is left being written when the destination closes.
  writer_.Wait();
  piece_.reset();
  dest_.reset();
}

bool TypedRestore::Start() {
  job_.ProgressHold.store(kProgressHeld);
  pieceNumber_ = 1;
  format_ = &PieceFormatOf(job_.SourceSplitType);
  pieceName_ = job_.JobSource();
  remaining_ = job_.SourceSize < 0 ? 0 : job_.SourceSize;

  for (;;) {
    auto opened = BinaryFile::Open(pieceName_, BinaryFile::Mode::kRead);
    if (opened) {
      piece_ = std::move(*opened);
      break;
    }
    if (prompter_.Ask(MakeMessage(MessageKind::kRetryMedium, texts::kPieceCannotOpen,
                                  Buttons::kRetryCancel, Icon::kWarning)) != Answer::kRetry) {
      // Giving up on a first piece that will not open ends with its cause.
      end_ = {JobOutcome::kFailed, opened.Error()};
      return false;
    }
  }
  if (!TakePieceSize()) {
    return false;
  }
  const std::int64_t headerEnd = static_cast<std::int64_t>(job_.MarkerOffset) + job_.HeaderLength;
  if (!piece_->Seek(std::min(headerEnd, pieceSize_))) {
    return IoError(*piece_);
  }
  if (headerEnd > pieceSize_) {
    return EndMissing();
  }
  if (format_->recordsPieceLength) {
    bodyLeft_ = job_.FirstPieceLength - job_.HeaderLength;
    // A length that ends inside its own header is no piece of ours.
    if (bodyLeft_ < 0) {
      return Broken(kCaption);
    }
  } else {
    bodyLeft_ = pieceSize_ - headerEnd;
  }

  auto created = CreateRestoreOutput(job_);
  if (!created) {
    return IoError(created.Error());
  }
  dest_ = std::move(*created);
  job_.SetJobMessage(texts::kRestoring);
  job_.ProgressHold.store(kProgressLive);
  crc_.Reset();
  return true;
}

bool TypedRestore::TakePieceSize() {
  const Result<FileFacts> facts = piece_->Facts();
  if (!facts) {
    return IoError(facts.Error());
  }
  pieceSize_ = facts->size;
  return true;
}

bool TypedRestore::CopyBlock() {
  // A block never crosses the end of a body. The body is read and written,
  // never moved by the kernel: its CRC is folded from the blocks.
  const StepCopy copy{writer_, piece_.get(), *dest_, job_.RunState};
  const auto countStep = [this](const std::byte* step, std::size_t n) {
    crc_.Update(step, n, true);
    remaining_ -= static_cast<std::int64_t>(n);
    bodyLeft_ -= static_cast<std::int64_t>(n);
  };
  switch (CopyBlockOfSteps(copy, std::min(remaining_, bodyLeft_), countStep,
                           [this] { ProgressUpdate(); })) {
    case StepsEnd::kBlockDone:
      return true;
    case StepsEnd::kCancelled:
      return Cancel();
    case StepsEnd::kWriteFailed:
      return IoError(*dest_);
    case StepsEnd::kReadFailed:
      return IoError(*piece_);
    case StepsEnd::kSourceEnded:
      break;
  }
  return EndMissing();
}

void TypedRestore::ProgressUpdate() {
  const std::int64_t done = job_.SourceSize - remaining_;
  ReportBytes(job_, done);
  job_.ProgressPermille.store(TypedPermille(done, job_.SourceSize));
}

bool TypedRestore::ChecksumMatches() {
  std::array<std::byte, 2> stored{};
  // Bytes missing at the end of the piece count as zero.
  piece_->Read(stored);
  const unsigned value = static_cast<unsigned>(stored[0]) | (static_cast<unsigned>(stored[1]) << 8);
  return value == crc_.Value();
}

bool TypedRestore::Finish() {
  // Every byte is written before the checksum is acted on.
  if (!writer_.Wait()) {
    return IoError(*dest_);
  }
  job_.ProgressPermille.store(1000);
  if (format_->Checksummed()) {
    const bool matches = ChecksumMatches();
    if (piece_->Error() != 0) {
      return IoError(*piece_);
    }
    if (!matches) {
      // A result that did not reach its medium whole is a failure, not a checksum error.
      piece_.reset();
      if (const Status closed = dest_->Close(); !closed) {
        return IoError(closed.Error());
      }
      CloseAll();
      Tell(texts::kPieceContentWrong, Icon::kWarning, texts::kRestoreCheckCaption);
      end_ = {JobOutcome::kDoneWithChecksumError};
      return false;
    }
    if (!SkipInfoRecords(*piece_)) {
      return EndMissing();
    }
  }
  piece_.reset();
  if (const Status closed = dest_->Close(); !closed) {
    return IoError(closed.Error());
  }
  dest_.reset();
  // A stream has no modification time to set.
  if (format_->recordsModifiedTime && job_.RecordedYear != 0 && job_.OutputDescriptor < 0) {
    const UtcFields t =
        UnpackTime(static_cast<std::uint16_t>(job_.RecordedYear), job_.RecordedTime);
    // A recorded time that is no calendar time, or a medium that keeps no
    // times, leaves the file's time alone: its bytes are whole all the same.
    static_cast<void>(SetModifiedTimeUtc(RestoreOutputName(job_), t.year, t.month, t.day, t.hour,
                                         t.minute, t.second));
  }
  return true;
}

bool TypedRestore::OpenNextPiece() {
  if (!job_.PiecesOnFixedDrive && Ask(MessageKind::kNextMedium, texts::kTypedNextMedium, pieceName_,
                                      Buttons::kYesNo, Icon::kInformation) != Answer::kYes) {
    return Cancel();
  }
  while (!(piece_ = BinaryFile::Open(pieceName_, BinaryFile::Mode::kRead).ValueOr(nullptr))) {
    if (Ask(MessageKind::kNextPieceMissing, texts::kTypedPieceMissing, pieceName_,
            Buttons::kRetryCancel, Icon::kWarning) != Answer::kRetry) {
      return Cancel();
    }
  }
  if (!TakePieceSize()) {
    return false;
  }
  bodyLeft_ = pieceSize_;
  return true;
}

bool TypedRestore::FindNextMarker() {
  // Blocks are read while they lie wholly inside the piece (the first always).
  const std::string_view pattern = format_->nextPattern;
  MarkerScan scan;
  scan.readLimit = pieceSize_ + 1;
  scan.overlap = static_cast<int>(pattern.size()) - 1;
  for (;;) {
    const std::optional<std::int64_t> found = FindMarker(*piece_, pattern, scan);
    if (!found && piece_->Error() != 0) {
      return IoError(*piece_);
    }
    if (found) {
      if (!piece_->Seek(*found + static_cast<std::int64_t>(pattern.size()))) {
        return IoError(*piece_);
      }
      if (piece_->Position() + kMinNextHeaderTail < pieceSize_) {
        return true;
      }
    }
    if (Ask(MessageKind::kRetryMedium, texts::kPieceAbnormal, pieceName_, Buttons::kRetryCancel,
            Icon::kWarning) != Answer::kRetry) {
      return Cancel();
    }
  }
}

bool TypedRestore::ReadNextHeader() {
  const bool marked = !format_->nextPattern.empty();
  if (marked) {
    if (!FindNextMarker()) {
      return false;
    }
  }
  const NextHeaderRead header = format_->readNextHeader(*piece_);
  // A header at the piece's start that cannot be read means the piece has
  // lost its end; one behind a found marker is broken.
  if (!header.identified) {
    return marked ? Broken(kCaption) : EndMissing();
  }
  // A piece of another series, or one of this series out of its place (two
  // pieces swapped or renamed), would rebuild the wrong bytes without a word:
  // both are asked about alike.
  const bool checkByte = format_->identity == SeriesIdentity::kCheckByte;
  const std::uint16_t identity = checkByte ? job_.FirstCheckByte : job_.FirstSeriesId;
  if (format_->identity != SeriesIdentity::kNone &&
      !BelongsToSeries(header, identity, pieceNumber_) &&
      Ask(MessageKind::kForceForeignPiece, texts::kPieceOfOtherSeries, pieceName_, Buttons::kYesNo,
          Icon::kQuestion,
          checkByte ? texts::kRestoreCheckByteCaption : texts::kRestoreCheckCaption) !=
          Answer::kYes) {
    return Cancel();
  }
  bodyLeft_ = format_->recordsPieceLength ? header.bodyLength : pieceSize_ - header.headerLength;
  // A length that ends inside its own header is no piece of ours.
  if (!header.whole || bodyLeft_ < 0) {
    return Broken(kCaption);
  }
  return true;
}

bool TypedRestore::ChangePiece() {
  // The piece's last block is written while the next piece is opened; a
  // question waits for it (Ask), and a failed write ends the job at the next block.
  ++pieceNumber_;
  job_.ProgressHold.store(kProgressPieceChange);
  if (format_->Checksummed()) {
    const bool matches = ChecksumMatches();
    if (piece_->Error() != 0) {
      return IoError(*piece_);
    }
    if (!matches &&
        Ask(MessageKind::kForceDamagedPiece, texts::kPieceContentWrongForce, pieceName_,
            Buttons::kYesNo, Icon::kQuestion, texts::kRestoreCheckCaption) != Answer::kYes) {
      return Cancel();
    }
    if (!SkipInfoRecords(*piece_)) {
      return Broken(texts::kRestoreCheckCaption);
    }
  }
  crc_.Reset();
  piece_.reset();
  pieceName_ = SetPieceNumber(pieceName_, pieceNumber_, format_->scheme);
  job_.SetJobSource(pieceName_, true);

  if (!OpenNextPiece() || !ReadNextHeader()) {
    return false;
  }
  job_.ProgressHold.store(kProgressLive);
  return true;
}

bool TypedRestore::Steps() {
  if (!Start()) {
    return false;
  }
  for (;;) {
    if (!CopyBlock()) {
      return false;
    }
    if (remaining_ == 0) {
      return Finish();
    }
    if (bodyLeft_ == 0 && !ChangePiece()) {
      return false;
    }
    ProgressUpdate();
  }
}

}  // namespace

void RunTypedRestore(const DivideSettings& /*settings*/, JobState& job, Prompter& prompter) {
  RunToEnd(job, JobKind::kRestore, [&] {
    return RestoreWithRebuild(job, prompter, [&] { return TypedRestore(job, prompter).Run(); });
  });
}

}  // namespace kv
