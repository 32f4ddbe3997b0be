#include "platform/step_copy.h"

#include <algorithm>
#include <chrono>
#include <span>

#include "core/job_state.h"
#include "core/page_buffer.h"
#include "platform/chunk_pace.h"
#include "platform/kernel_step_copy.h"

namespace kv {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kLargestReadBlock = static_cast<std::int64_t>(BlockWriter::kBlockSize);
constexpr std::int64_t kSmallestReadBlock = kLargestReadBlock / 4;

// The bytes a read/write block takes on this worker thread: the whole block
// while blocks are quick (fewer hand-overs to the writer), down to a quarter
// of it when one keeps a cancel waiting, as on a slow medium.
thread_local std::int64_t readBlockBytes = kSmallestReadBlock;

// Writes the first `length` bytes of the block and waits until they are written.
bool WriteSteps(const StepCopy& copy, std::size_t length) {
  const bool handedOver = copy.writer.Submit(copy.out, length);
  return copy.writer.Wait() && handedOver;
}

// The kernel copies between file offsets at different places within a page
// slower than a read into, and a write out of, a block that sits where the
// output's page does.
bool KernelCopyIsQuick(const StepCopy& copy) {
  const std::int64_t shift = copy.source->Position() - copy.writer.Landing(copy.out);
  return shift % static_cast<std::int64_t>(kPageSize) == 0;
}

// The steps of one block through read and write.
StepsEnd ReadWriteBlockOfSteps(const StepCopy& copy, std::int64_t length, const StepSeen& onStep,
                               const std::function<void()>& progress) {
  const Clock::time_point start = Clock::now();
  const std::int64_t blockLength = std::clamp<std::int64_t>(length, 0, readBlockBytes);
  std::byte* const block = copy.writer.Block(copy.out);
  std::int64_t filled = 0;
  std::int64_t done = 0;
  for (;;) {
    const std::int64_t n = std::min(kStepSize, blockLength - done);
    // More than the step comes when the same reads bring it, up to the block's end.
    if (filled < done + n) {
      const std::int64_t got =
          copy.source == nullptr
              ? -1
              : copy.source->ReadAtLeast(
                    std::span(block + filled, static_cast<std::size_t>(blockLength - filled)),
                    static_cast<std::size_t>(done + n - filled));
      filled += std::max<std::int64_t>(got, 0);
      // A step the source cannot fill ends the job with what came before it;
      // a stream's last bytes make a shorter last step.
      if (filled < done + n) {
        if (copy.readToItsEnd && got >= 0 && filled > done) {
          onStep(block + done, static_cast<std::size_t>(filled - done));
          done = filled;
        }
        if (!WriteSteps(copy, static_cast<std::size_t>(done))) {
          return StepsEnd::kWriteFailed;
        }
        return got < 0 ? StepsEnd::kReadFailed : StepsEnd::kSourceEnded;
      }
    }
    onStep(block + done, static_cast<std::size_t>(n));
    done += n;
    if (copy.runState.load() == kRunCancelRequested) {
      return WriteSteps(copy, static_cast<std::size_t>(done)) ? StepsEnd::kCancelled
                                                              : StepsEnd::kWriteFailed;
    }
    if (done == blockLength) {
      break;
    }
    progress();
  }
  if (blockLength == readBlockBytes) {
    readBlockBytes =
        PacedChunk(readBlockBytes, Clock::now() - start, kSmallestReadBlock, kLargestReadBlock);
  }
  // The block is written while the next one is read.
  return copy.writer.Submit(copy.out, static_cast<std::size_t>(done)) ? StepsEnd::kBlockDone
                                                                      : StepsEnd::kWriteFailed;
}

}  // namespace

StepsEnd CopyBlockOfSteps(const StepCopy& copy, std::int64_t length, const StepSeen& onStep,
                          const std::function<void()>& progress) {
  if (!copy.kernelMoves || copy.source == nullptr || length <= 0 || !KernelCopyIsQuick(copy)) {
    return ReadWriteBlockOfSteps(copy, length, onStep, progress);
  }
  std::int64_t done = 0;
  if (const std::optional<StepsEnd> end =
          KernelChunkOfSteps(copy, length, onStep, progress, done)) {
    return *end;
  }
  // What the kernel did not move, read and write do; the steps go on from its last one.
  if (done > 0) {
    progress();
  }
  return ReadWriteBlockOfSteps(copy, length - done, onStep, progress);
}

}  // namespace kv
