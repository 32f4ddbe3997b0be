#pragma once
// The copy loop of every job: one block read at once from a source and walked
// in steps of at most kStepSize bytes, each step the unit of cancellation and
// of progress, then handed to the block writer while the next block is read.
// Where the job allows it, the kernel moves a chunk of whole steps from file
// to file instead, and the steps are counted off once it is there.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/job_progress.h"
#include "platform/binary_file.h"
#include "platform/block_writer.h"

namespace kv {

struct StepCopy {
  BlockWriter& writer;
  BinaryFile* source;  // null: a source that did not open, which gives no byte
  BinaryFile& out;
  const std::atomic<int>& runState;
  // The kernel may move the bytes (copy_file_range) where source and output
  // sit alike within a page; the steps it moves are shown to onStep without
  // their bytes (a null pointer).
  bool kernelMoves = false;
  // A stream read until it ends: the bytes it brings before its end are a
  // last, shorter step, written before kSourceEnded is reported.
  bool readToItsEnd = false;
};

using StepSeen = std::function<void(const std::byte*, std::size_t)>;

// How a block ended. On every end but kBlockDone the completed steps are in
// `out` (unless writing them failed) and nothing is pending in the writer.
enum class StepsEnd {
  kBlockDone,    // the block is handed to the writer
  kCancelled,    // a cancel request was seen after a step
  kReadFailed,   // the source reported an error
  kSourceEnded,  // the source ended before the bytes it owed
  kWriteFailed,  // the writer could not write (its Error() says why)
};

// Copies one block of at most `length` bytes (a quarter of to a whole
// BlockWriter::kBlockSize read and written, as quickly as blocks go, or a
// kernel chunk); a length of 0 still looks for a cancel
// once. Each step is shown to `onStep` before the cancel request is looked
// for; `progress` runs between the steps of the block.
StepsEnd CopyBlockOfSteps(const StepCopy& copy, std::int64_t length, const StepSeen& onStep,
                          const std::function<void()>& progress);

}  // namespace kv
