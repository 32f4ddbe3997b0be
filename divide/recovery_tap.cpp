#include "divide/recovery_tap.h"

#include "core/job_state.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "divide/ask_next_medium.h"
#include "platform/file_helpers.h"
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
    : accumulator_(std::move(pieces), recoverySlices, memoryBudget) {
  if (!accumulator_.Entries().empty()) {
    setName_ = SetNameOf(accumulator_.Entries().front().name);
  }
}

void RecoveryTap::PieceBegun() {
  accumulator_.BeginFile(nextPiece_++);
}

void RecoveryTap::Step(const std::byte* data, std::size_t length) {
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
  Flush();
  accumulator_.Add(AsUnsigned(bytes.data(), bytes.size()));
}

void RecoveryTap::PieceEnded() {
  Flush();
  accumulator_.EndFile();
}

void RecoveryTap::WriteSet(Prompter& prompter, Volumes& volumes, JobState& job,
                           const std::string& lastPiece, bool onRemovable) {
  folder_ = lastPiece.substr(0, FileNameStart(lastPiece));
  if (!accumulator_.Complete()) {
    outcome_.failedPath = accumulator_.ErrorPath();
    outcome_.error = accumulator_.Error();
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
    set.makeRoom = [&](const std::string& name, std::uint64_t bytes) {
      const std::string path = folder_ + name;
      if (!SyncFolder(FolderOfFile(path))) {
        return false;
      }
      const FreeSpace free = volumes.QueryFreeSpace(path);
      return (free.ready && free.bytes >= bytes) || AskNextMedium(prompter, path, Answer::kYes);
    };
  }
  const std::string status = job.StatusText();
  if (!writingStatus_.empty()) {
    job.SetStatusText(writingStatus_);
  }
  outcome_ = par2::WriteRecoveryFiles(request, set);
  if (outcome_.done && onRemovable) {
    static_cast<void>(SyncFolder(FolderOfFile(lastPiece)));
  }
  // The end shows what the divide moved.
  job.SetStatusText(status);
}

}  // namespace kv
