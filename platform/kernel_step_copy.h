#pragma once
// The steps of a block moved by the kernel from file to file
// (copy_file_range): no byte passes through the job, and the steps are
// counted off once the chunk holding them is in the output.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/step_copy.h"

namespace kv {

// Bytes the kernel moves before the steps are counted and the cancel request
// is looked at: a whole number of steps, small enough that a cancel is seen
// within a few milliseconds. A chunk that takes long (a slow medium whose
// cache is full) makes the next ones smaller, down to kSmallestKernelChunk.
inline constexpr std::int64_t kKernelChunk = 2 * 1024 * 1024;
inline constexpr std::int64_t kSmallestKernelChunk = 64 * 1024;

// Moves at most min(kKernelChunk, length) bytes (length > 0) and counts their steps
// as CopyBlockOfSteps does. Nothing (`done` steps' bytes moved and counted,
// no cancel requested) when the kernel refused or met the source's end
// early: read and write go on with the rest and decide. A step it moved only
// in part is taken back out of the output first.
std::optional<StepsEnd> KernelChunkOfSteps(const StepCopy& copy, std::int64_t length,
                                           const StepSeen& onStep,
                                           const std::function<void()>& progress,
                                           std::int64_t& done);

}  // namespace kv
