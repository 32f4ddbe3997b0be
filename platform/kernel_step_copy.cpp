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

// Counts off the `length` bytes of steps the kernel moved from `from` in the
// source as the read/write loop would: progress between the steps, the
// cancel request looked at after the last.
BinaryFile::Looked CountSteps(const StepCopy& copy, std::int64_t from, std::int64_t length,
                              const StepSeen& onStep, const std::function<void()>& progress) {
  const auto lastStep = static_cast<std::size_t>(length - (length - 1) / kStepSize * kStepSize);
  const auto before = static_cast<std::size_t>(length) - lastStep;
  const auto count = [&](const std::byte* bytes, std::size_t) {
    if (before > 0) {
      onStep(bytes, before);
      progress();
    }
    onStep(bytes == nullptr ? nullptr : bytes + before, lastStep);
  };
  if (!copy.stepsSeeBytes) {
    count(nullptr, 0);
    return BinaryFile::Looked::kWhole;
  }
  return copy.source->LookAt(from, static_cast<std::size_t>(length), count);
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
    const BinaryFile::Looked looked = CountSteps(copy, sourceStart, done, onStep, progress);
    if (looked != BinaryFile::Looked::kWhole) {
      // Steps that cannot be looked at are not done: read and write do them
      // again, or the job ends on the source's error.
      done = 0;
      if (looked == BinaryFile::Looked::kFailed) {
        return copy.out.CutTo(outStart) ? StepsEnd::kReadFailed : StepsEnd::kWriteFailed;
      }
    }
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
