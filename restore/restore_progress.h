#pragma once
// What both restore workers write into the progress channel: the running KiB count.

#include <cstdint>
#include <string>

#include "core/block_writer.h"
#include "core/job_state.h"
#include "core/job_texts.h"
#include "core/piece_names.h"

namespace kv::restore_detail {

// Bytes moved per step: the unit of cancellation and of progress.
inline constexpr std::int64_t kStepSize = 1024;
// Bytes read and written at once beneath the steps: a whole number of steps.
inline constexpr std::int64_t kBlockSize = BlockWriter::kBlockSize;

// "%skBytes" with the whole KiB written so far.
inline std::string KiBytesText(std::int64_t bytes) {
  return FormatGrouped(bytes / 1024) + texts::kKiBytesSuffix;
}

}  // namespace kv::restore_detail
