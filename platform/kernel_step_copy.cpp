#include "platform/kernel_step_copy.h"

#include <algorithm>

#include "core/job_progress.h"
#include "core/job_state.h"

namespace kv {

namespace {

// Counts off `length` bytes of steps as the read/write loop would: progress
// between the steps, the cancel request after the last. True when a cancel was requested.
bool CountSteps(const StepCopy& copy, std::int64_t length, const StepSeen& onStep,
                const std::function<void()>& progress) {
  const std::int64_t lastStep = length - (length - 1) / kStepSize * kStepSize;
  if (length > lastStep) {
    onStep(nullptr, static_cast<std::size_t>(length - lastStep));
    progress();
  }
  onStep(nullptr, static_cast<std::size_t>(lastStep));
  return copy.runState.load() == kRunCancelRequested;
}

}  // namespace

std::optional<StepsEnd> KernelChunkOfSteps(const StepCopy& copy, std::int64_t length,
                                           const StepSeen& onStep,
                                           const std::function<void()>& progress,
                                           std::int64_t& done) {
  // A stop requested already lets only the step under way complete.
  const bool stopping = copy.runState.load() == kRunCancelRequested;
  const std::int64_t chunk = std::min(length, stopping ? kStepSize : kKernelChunk);
  // A block still on its way to the output lands before the kernel writes behind it.
  if (!copy.writer.Wait()) {
    return StepsEnd::kWriteFailed;
  }
  const std::int64_t outStart = copy.out.Position();
  std::int64_t moved = 0;
  std::int64_t last = 0;
  while (moved < chunk) {
    last = copy.source->CopyTo(copy.out, static_cast<std::size_t>(chunk - moved));
    if (last <= 0) {
      break;
    }
    moved += last;
  }
  if (last < 0 && copy.out.Error() != 0) {
    return StepsEnd::kWriteFailed;
  }
  // Only whole steps count: the bytes of a step the kernel moved in part go
  // back, and reading resumes at the step's start.
  done = moved == chunk ? chunk : moved / kStepSize * kStepSize;
  if (done < moved) {
    if (!copy.out.CutTo(outStart + done)) {
      return StepsEnd::kWriteFailed;
    }
    if (last != -1 && !copy.source->Seek(copy.source->Position() - (moved - done))) {
      return StepsEnd::kReadFailed;
    }
  }
  if (done > 0 && CountSteps(copy, done, onStep, progress)) {
    return StepsEnd::kCancelled;
  }
  if (moved == chunk) {
    return StepsEnd::kBlockDone;
  }
  if (last == -1) {
    return StepsEnd::kReadFailed;
  }
  return std::nullopt;
}

}  // namespace kv
