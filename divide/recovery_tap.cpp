#include "divide/recovery_tap.h"

#include <algorithm>

#include "core/job_state.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "divide/ask_next_medium.h"
#include "platform/file_helpers.h"
#include "platform/machine_limits.h"
#include "platform/positioned_file.h"
#include "platform/volumes.h"
#include "recovery/series_pieces.h"

namespace kv {

namespace {

// The longest run of steps taken at once.
constexpr std::size_t kLongestRun = 16 * 1024 * 1024;

std::span<const std::uint8_t> AsUnsigned(const std::byte* data, std::size_t length) {
  return {reinterpret_cast<const std::uint8_t*>(data), length};
}

}  // namespace

RecoveryTap::RecoveryTap(std::vector<par2::ExpectedFile> pieces, std::uint32_t recoverySlices,
                         std::size_t memoryBudget)
    : accumulator_(std::move(pieces), recoverySlices, memoryBudget), memoryBudget_(memoryBudget) {
  if (!accumulator_.Entries().empty()) {
    setName_ = SetNameOf(accumulator_.Entries().front().name);
  }
}

void RecoveryTap::PiecesStayReadable() {
  // Only a series the page cache can hold is read back: a larger one would
  // come from the drive again, where hashing it as it is written costs nothing.
  std::uint64_t series = 0;
  for (const par2::FileEntry& piece : accumulator_.Entries()) {
    series += piece.length;
  }
  if (series > MemoryBytes() / 2) {
    return;
  }
  readBack_ = true;
  accumulator_.DropSpill();
}

void RecoveryTap::PieceBegun() {
  if (!readBack_) {
    accumulator_.BeginFile(nextPiece_++);
  }
}

void RecoveryTap::Step(const std::byte* data, std::size_t length) {
  if (readBack_) {
    return;
  }
  if (run_ != nullptr && data == run_ + runLength_ && runLength_ + length <= kLongestRun) {
    runLength_ += length;
    return;
  }
  Flush();
  run_ = data;
  runLength_ = length;
}

void RecoveryTap::Flush() {
  // The run stays in its block until the block after it is taken.
  if (run_ != nullptr) {
    accumulator_.AddLasting(AsUnsigned(run_, runLength_));
  }
  run_ = nullptr;
  runLength_ = 0;
}

void RecoveryTap::WrittenDirectly(std::span<const std::byte> bytes) {
  if (readBack_) {
    return;
  }
  Flush();
  accumulator_.Add(AsUnsigned(bytes.data(), bytes.size()));
}

void RecoveryTap::PieceEnded() {
  if (readBack_) {
    return;
  }
  Flush();
  accumulator_.EndFile();
}

void RecoveryTap::WriteSet(Prompter& prompter, Volumes& volumes, JobState& job,
                           const std::string& lastPiece, bool onRemovable) {
  folder_ = lastPiece.substr(0, FileNameStart(lastPiece));
  if (readBack_) {
    if (WrittenAsPredicted()) {
      // Within what protect allows itself: writing the set takes room of its own.
      par2::RecoveryRequest request{
          folder_, {}, setName_, accumulator_.SliceSize(), accumulator_.RecoverySlices()};
      request.memoryBudget = std::min(request.memoryBudget, memoryBudget_);
      for (const par2::FileEntry& piece : accumulator_.Entries()) {
        request.names.push_back(piece.name);
      }
      WriteSetShowingStatus(job, request, {});
    }
    return;
  }
  if (!accumulator_.Complete()) {
    outcome_.failure = accumulator_.StorageFailure();
    return;
  }
  par2::RecoveryRequest request;
  request.folder = folder_;
  request.setName = setName_;
  request.sliceSize = accumulator_.SliceSize();
  request.recoverySlices = accumulator_.RecoverySlices();
  par2::PrecomputedSet set{accumulator_.Entries(), &accumulator_.Slices(), {}};
  if (onRemovable) {
    // The medium in the drive takes a file while it has room; then the next medium is asked for.
    set.makeRoom = [&](const std::string& name, std::uint64_t bytes) -> Status {
      const std::string path = folder_ + name;
      if (Status synced = SyncFolder(FolderOfFile(path)); !synced) {
        return synced;
      }
      const FreeSpace free = volumes.QueryFreeSpace(path);
      if ((free.ready && free.bytes >= bytes) || AskNextMedium(prompter, path, Answer::kYes)) {
        return {};
      }
      return Failure{SystemError(ECANCELED), path};
    };
  }
  WriteSetShowingStatus(job, request, set);
  // A medium about to be taken out keeps only the names put on it.
  if (outcome_.done && onRemovable) {
    if (const Status synced = SyncFolder(FolderOfFile(lastPiece)); !synced) {
      outcome_ = {.done = false, .written = {}, .failure = synced.Error()};
    }
  }
}

void RecoveryTap::WriteSetShowingStatus(JobState& job, par2::RecoveryRequest request,
                                        const par2::PrecomputedSet& set) {
  const std::string status = job.StatusText();
  if (!writingStatus_.empty()) {
    job.SetStatusText(writingStatus_);
  }
  // The job's stop ends the set as it ends the divide: none of its files stay.
  request.stopAsked = [&job] { return job.RunState.load() == kRunCancelRequested; };
  outcome_ = set.slices != nullptr ? par2::WriteRecoveryFiles(request, set)
                                   : par2::WriteRecoveryFiles(request);
  // The end shows what the divide moved.
  job.SetStatusText(status);
}

bool RecoveryTap::WrittenAsPredicted() {
  for (const par2::FileEntry& piece : accumulator_.Entries()) {
    const Result<std::unique_ptr<PositionedFile>> opened =
        PositionedFile::OpenForReading(folder_ + piece.name);
    if (!opened) {
      readBackFault_ = par2::AccumulatorFault::kStorage;
      outcome_.failure = opened.Error();
      return false;
    }
    const PositionedFile& file = **opened;
    par2::Bytes first(static_cast<std::size_t>(std::min(file.Size(), par2::kFirstBytes)));
    if (!file.ReadAt(0, first)) {
      readBackFault_ = par2::AccumulatorFault::kStorage;
      outcome_.failure = file.Fault();
      return false;
    }
    if (file.Size() != piece.length || Md5Of(first) != piece.md5First16k) {
      readBackFault_ = par2::AccumulatorFault::kMismatch;
      return false;
    }
  }
  return true;
}

}  // namespace kv
