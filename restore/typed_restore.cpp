#include "restore/typed_restore.h"

#include <algorithm>
#include <array>
#include <cerrno>
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

  JobEnd Run();

 private:
  // The ways a step can go: on, or to the end of the job as `end` says.
  struct Step {
    bool ok = true;
    JobEnd end;
  };
  static Step Go() { return {}; }
  static Step Stop(JobEnd end = {JobOutcome::kCancelled}) { return {false, end}; }
  // A piece whose bytes are not what its header promised: no call failed.
  static Step Damaged() { return Stop({JobOutcome::kFailed, 0}); }

  Step Start();
  // Copies a block of steps, polling for a cancel and showing progress after each.
  Step CopyBlock();
  Step ChangePiece();
  Step Finish();
  Step OpenNextPiece();
  // The following piece's marker, asked about until found or given up.
  Step FindNextMarker();
  // What ties a following piece to the series, and where its body starts.
  Step ReadNextHeader();
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
  Step EndMissing() {
    if (piece_ && piece_->Error() != 0) {
      return IoError(*piece_);
    }
    CloseAll();
    Tell(texts::kPieceEndMissing, Icon::kStop);
    return Damaged();
  }
  // A header that is not what it should be, or one that could not be read.
  Step Broken(const char* caption) {
    if (piece_ && piece_->Error() != 0) {
      return IoError(*piece_);
    }
    CloseAll();
    Tell(texts::kPieceBroken, Icon::kStop, caption);
    return Damaged();
  }
  // `failure` is a copy: the files close first.
  Step IoError(Failure failure) {
    CloseAll();
    return Stop(EndWithIoError(prompter_, std::move(failure)));
  }
  Step IoError(const BinaryFile& file) { return IoError(file.Fault()); }

  JobState& job_;
  Prompter& prompter_;
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

TypedRestore::Step TypedRestore::Start() {
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
      return Stop({JobOutcome::kFailed, opened.Error()});
    }
  }
  pieceSize_ = piece_->Size();
  const std::int64_t headerEnd = static_cast<std::int64_t>(job_.MarkerOffset) + job_.HeaderLength;
  if (pieceSize_ < 0) {
    return IoError(LastFailure(pieceName_));
  }
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
  return Go();
}

TypedRestore::Step TypedRestore::CopyBlock() {
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
      return Go();
    case StepsEnd::kCancelled:
      CloseAll();
      return Stop();
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

TypedRestore::Step TypedRestore::Finish() {
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
      if (!dest_->Close()) {
        return IoError(*dest_);
      }
      CloseAll();
      Tell(texts::kPieceContentWrong, Icon::kWarning, texts::kRestoreCheckCaption);
      return Stop({JobOutcome::kDoneWithChecksumError});
    }
    if (!SkipInfoRecords(*piece_)) {
      return EndMissing();
    }
  }
  piece_.reset();
  if (!dest_->Close()) {
    return IoError(*dest_);
  }
  dest_.reset();
  // A stream has no modification time to set.
  if (format_->recordsModifiedTime && job_.RecordedYear != 0 && job_.OutputDescriptor < 0) {
    const UtcFields t =
        UnpackTime(static_cast<std::uint16_t>(job_.RecordedYear), job_.RecordedTime);
    // A recorded time that is no calendar time leaves the file's time alone.
    SetModifiedTimeUtc(RestoreOutputName(job_), t.year, t.month, t.day, t.hour, t.minute, t.second);
  }
  return Stop({JobOutcome::kDone});
}

TypedRestore::Step TypedRestore::OpenNextPiece() {
  if (!job_.PiecesOnFixedDrive && Ask(MessageKind::kNextMedium, texts::kTypedNextMedium, pieceName_,
                                      Buttons::kYesNo, Icon::kInformation) != Answer::kYes) {
    CloseAll();
    return Stop();
  }
  while (!(piece_ = BinaryFile::Open(pieceName_, BinaryFile::Mode::kRead).ValueOr(nullptr))) {
    if (Ask(MessageKind::kNextPieceMissing, texts::kTypedPieceMissing, pieceName_,
            Buttons::kRetryCancel, Icon::kWarning) != Answer::kRetry) {
      CloseAll();
      return Stop();
    }
  }
  pieceSize_ = piece_->Size();
  if (pieceSize_ < 0) {
    return IoError(LastFailure(pieceName_));
  }
  bodyLeft_ = pieceSize_;
  return Go();
}

TypedRestore::Step TypedRestore::FindNextMarker() {
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
        return Go();
      }
    }
    if (Ask(MessageKind::kRetryMedium, texts::kPieceAbnormal, pieceName_, Buttons::kRetryCancel,
            Icon::kWarning) != Answer::kRetry) {
      CloseAll();
      return Stop();
    }
  }
}

TypedRestore::Step TypedRestore::ReadNextHeader() {
  const bool marked = !format_->nextPattern.empty();
  if (marked) {
    if (const Step s = FindNextMarker(); !s.ok) {
      return s;
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
    CloseAll();
    return Stop();
  }
  bodyLeft_ = format_->recordsPieceLength ? header.bodyLength : pieceSize_ - header.headerLength;
  // A length that ends inside its own header is no piece of ours.
  if (!header.whole || bodyLeft_ < 0) {
    return Broken(kCaption);
  }
  return Go();
}

TypedRestore::Step TypedRestore::ChangePiece() {
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
      CloseAll();
      return Stop();
    }
    if (!SkipInfoRecords(*piece_)) {
      return Broken(texts::kRestoreCheckCaption);
    }
  }
  crc_.Reset();
  piece_.reset();
  pieceName_ = SetPieceNumber(pieceName_, pieceNumber_, format_->scheme);
  job_.SetJobSource(pieceName_, true);

  if (const Step s = OpenNextPiece(); !s.ok) {
    return s;
  }
  if (const Step s = ReadNextHeader(); !s.ok) {
    return s;
  }
  job_.ProgressHold.store(kProgressLive);
  return Go();
}

JobEnd TypedRestore::Run() {
  if (const Step s = Start(); !s.ok) {
    return s.end;
  }
  for (;;) {
    if (const Step s = CopyBlock(); !s.ok) {
      return s.end;
    }
    if (remaining_ == 0) {
      return Finish().end;
    }
    if (bodyLeft_ == 0) {
      if (const Step s = ChangePiece(); !s.ok) {
        return s.end;
      }
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
