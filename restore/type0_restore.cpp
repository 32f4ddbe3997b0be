#include "restore/type0_restore.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/binary_file.h"
#include "core/divide_settings.h"
#include "core/job_state.h"
#include "core/job_texts.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "restore/restore_progress.h"

namespace kv {

namespace {

using restore_detail::kStepSize;

constexpr const char* kNextMediumQuestion =
    "次に%sを読み込みます\nこれで完了の場合はいいえを選んでください";
constexpr const char* kPieceMissingQuestion =
    "ファイルが見つかりません\n%s\nこれで完了の場合はｷｬﾝｾﾙを選んでください";

std::string Fill(const char* pattern, const std::string& value) {
  std::string text = pattern;
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) {
    text.replace(at, 2, value);
  }
  return text;
}

// The decimal value of the last `count` characters of a piece name; leading
// digits are read, anything else stops the reading.
int NumberAtEnd(const std::string& name, std::size_t count) {
  const std::size_t from = name.size() >= count ? name.size() - count : 0;
  int value = 0;
  std::from_chars(name.data() + from, name.data() + name.size(), value);
  return value;
}

enum class Outcome { kDone, kCancelled };

class Type0Restore {
 public:
  Type0Restore(const DivideSettings& settings, JobState& job, Prompter& prompter)
      : settings_(settings), job_(job), prompter_(prompter) {}

  Outcome Run();

 private:
  // Reads and discards `count` leading bytes of the open piece; false on a read error.
  bool SkipHead(int count);
  // One copy step; false on a read or write error.
  bool CopyStep();
  void ShowProgress();
  // Starts the piece just opened: its length and progress unit.
  bool BeginPiece();
  // Names and opens the piece after the current one; false when the series ends here.
  bool OpenNextPiece();
  Outcome IoError();

  const DivideSettings& settings_;
  JobState& job_;
  Prompter& prompter_;
  std::unique_ptr<BinaryFile> piece_;
  std::unique_ptr<BinaryFile> dest_;
  std::string pieceName_;
  int number_ = 0;
  std::int64_t pieceLeft_ = 0;
  double progressUnit_ = 0;
  std::int64_t written_ = 0;
  std::array<std::byte, kStepSize> buffer_{};
};

Outcome Type0Restore::IoError() {
  piece_.reset();
  dest_.reset();
  prompter_.Ask(MakeMessage(texts::kIoError, Buttons::kOk, Icon::kStop));
  return Outcome::kCancelled;
}

bool Type0Restore::SkipHead(int count) {
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

bool Type0Restore::CopyStep() {
  if (pieceLeft_ <= 0) {
    return true;
  }
  const std::int64_t want = pieceLeft_ < kStepSize ? pieceLeft_ : kStepSize;
  const auto chunk = std::span(buffer_.data(), static_cast<std::size_t>(want));
  // A piece that no longer holds the bytes its length promised is a read error.
  if (!piece_->ReadExact(chunk) || !dest_->Write(chunk)) {
    return false;
  }
  pieceLeft_ -= want;
  written_ += want;
  return true;
}

void Type0Restore::ShowProgress() {
  job_.SetStatusText(restore_detail::KiBytesText(written_));
  if (pieceLeft_ > 0 && progressUnit_ > 0) {
    job_.ProgressPermille.store(1000 -
                                static_cast<int>(static_cast<double>(pieceLeft_) / progressUnit_));
  }
}

bool Type0Restore::BeginPiece() {
  pieceLeft_ = piece_->Size();
  if (pieceLeft_ < 0) {
    return false;
  }
  progressUnit_ = static_cast<double>(pieceLeft_) * 0.001;
  return true;
}

bool Type0Restore::OpenNextPiece() {
  ++number_;
  job_.ProgressPermille.store(1000);
  job_.ProgressHold.store(10);
  piece_.reset();
  const PieceScheme scheme =
      job_.ThreeDigitNumbering == 1 ? PieceScheme::kThreeDigit : PieceScheme::kAddedChar;
  pieceName_ = SetPieceNumber(pieceName_, number_, scheme);
  job_.SetJobSource(pieceName_, true);

  if (job_.PiecesOnFixedDrive == 0) {
    const Answer a = prompter_.Ask(
        MakeMessage(Fill(kNextMediumQuestion, pieceName_), Buttons::kYesNo, Icon::kQuestion));
    if (a != Answer::kYes) {
      return false;
    }
  }
  while (!(piece_ = BinaryFile::Open(pieceName_, BinaryFile::Mode::kRead))) {
    const Answer a = prompter_.Ask(MakeMessage(Fill(kPieceMissingQuestion, pieceName_),
                                               Buttons::kRetryCancel, Icon::kQuestion));
    if (a != Answer::kRetry) {
      return false;
    }
  }
  return true;
}

Outcome Type0Restore::Run() {
  job_.ProgressHold.store(1);
  pieceName_ = job_.JobSource();
  number_ = NumberAtEnd(pieceName_, job_.ThreeDigitNumbering == 1 ? 3 : 2);

  piece_ = BinaryFile::Open(pieceName_, BinaryFile::Mode::kRead);
  if (!piece_ || !BeginPiece()) {
    return IoError();
  }
  dest_ = BinaryFile::Open(job_.JobDest(), BinaryFile::Mode::kCreateWrite);
  if (!dest_) {
    return IoError();
  }
  job_.SetJobMessage(texts::kRestoring);
  job_.ProgressHold.store(0);
  if (settings_.HeadCut && !SkipHead(settings_.HeadCutFirst)) {
    return IoError();
  }

  for (;;) {
    if (!CopyStep()) {
      return IoError();
    }
    if (job_.RunState.load() == kRunCancelRequested) {
      piece_.reset();
      dest_.reset();
      return Outcome::kCancelled;
    }
    if (pieceLeft_ > 0) {
      ShowProgress();
      continue;
    }
    if (!OpenNextPiece()) {
      break;
    }
    if (!BeginPiece()) {
      return IoError();
    }
    if (settings_.HeadCut && !SkipHead(settings_.HeadCutNext)) {
      return IoError();
    }
    job_.ProgressHold.store(0);
    ShowProgress();
  }

  piece_.reset();
  // Bytes still buffered that cannot be written make the result incomplete.
  if (!dest_->Close()) {
    return IoError();
  }
  // The count shown at the end covers the last step too.
  job_.SetStatusText(restore_detail::KiBytesText(written_));
  return Outcome::kDone;
}

}  // namespace

void Type0RestoreWorker(const DivideSettings& settings, JobState& job, Prompter& prompter) {
  Outcome outcome = Outcome::kCancelled;
  try {
    Type0Restore restore(settings, job, prompter);
    outcome = restore.Run();
  } catch (...) {
    outcome = Outcome::kCancelled;
  }
  restore_detail::EndJob(
      job, outcome == Outcome::kDone ? texts::kRestoreDone : texts::kRestoreCancelled);
}

}  // namespace kv
