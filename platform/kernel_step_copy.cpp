#include "platform/kernel_step_copy.h"

#include <algorithm>
#include <chrono>

#include "core/job_progress.h"
#include "core/job_state.h"
#include "platform/chunk_pace.h"

namespace kv {

namespace {

using Clock = std::chrono::steady_clock;

// The chunk size in force on this worker thread, kept from chunk to chunk.
thread_local std::int64_t chunkBytes = kKernelChunk;

// Moves up to `chunk` bytes; the count moved, and in `last` what the last call returned.
std::int64_t MoveChunk(const StepCopy& copy, std::int64_t chunk, std::int64_t& last) {
  const Clock::time_point start = Clock::now();
  std::int64_t moved = 0;
  last = 0;
  while (moved < chunk) {
    last = copy.source->CopyTo(copy.out, static_cast<std::size_t>(chunk - moved));
    if (last <= 0) {
      break;
    }
    moved += last;
  }
  if (moved == chunk) {
    chunkBytes = PacedChunk(chunkBytes, Clock::now() - start, kSmallestKernelChunk, kKernelChunk);
  }
  return moved;
}

// Counts off the `length` bytes of steps the kernel moved as the read/write
// loop would: progress between the steps, the cancel request looked at after the last.
void CountSteps(std::int64_t length, const StepSeen& onStep,
                const std::function<void()>& progress) {
  const auto lastStep = static_cast<std::size_t>(length - (length - 1) / kStepSize * kStepSize);
  const auto before = static_cast<std::size_t>(length) - lastStep;
  if (before > 0) {
    onStep(nullptr, before);
    progress();
  }
  onStep(nullptr, lastStep);
}

}  // namespace

std::optional<StepsEnd> KernelChunkOfSteps(const StepCopy& copy, std::int64_t length,
                                           const StepSeen& onStep,
                                           const std::function<void()>& progress,
                                           std::int64_t& done) {
  // A stop requested already lets only the step under way complete.
  const bool stopping = copy.runState.load() == kRunCancelRequested;
  const std::int64_t chunk = std::min(length, stopping ? kStepSize : chunkBytes);
  // A block still on its way to the output lands before the kernel writes behind it.
  if (!copy.writer.Wait()) {
    return StepsEnd::kWriteFailed;
  }
  const std::int64_t sourceStart = copy.source->Position();
  const std::int64_t outStart = copy.out.Position();
  std::int64_t last = 0;
  const std::int64_t moved = MoveChunk(copy, chunk, last);
  if (last < 0 && copy.out.Error() != 0) {
    return StepsEnd::kWriteFailed;
  }
  // Only whole steps count: the bytes of a step the kernel moved in part go
  // back, and reading resumes at the step's start.
  done = moved == chunk ? chunk : moved / kStepSize * kStepSize;
  if (done > 0) {
    CountSteps(done, onStep, progress);
  }
  if (done < moved) {
    if (!copy.out.CutTo(outStart + done)) {
      return StepsEnd::kWriteFailed;
    }
    if (last != -1 && !copy.source->Seek(sourceStart + done)) {
      return StepsEnd::kReadFailed;
    }
  }
  if (done > 0 && copy.runState.load() == kRunCancelRequested) {
    return StepsEnd::kCancelled;
  }
  if (done == chunk) {
    return StepsEnd::kBlockDone;
  }
  return last == -1 ? std::optional(StepsEnd::kReadFailed) : std::nullopt;
}

}  // namespace kv
