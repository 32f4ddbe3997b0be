#include "core/job_progress.h"

#include <algorithm>

#include "core/job_state.h"
#include "core/job_texts.h"
#include "core/piece_names.h"

namespace kv {

std::string KiBytesText(std::int64_t bytes) {
  return FormatGrouped(bytes / 1024) + texts::kKiBytesSuffix;
}

void ReportBytes(JobState& job, std::int64_t bytes) {
  job.PublishBytes(bytes);
}

int TypedPermille(std::int64_t done, std::int64_t total) {
  const std::int64_t divisor = total / 1000;
  const std::int64_t permille = divisor > 0 ? done / divisor : 1000;
  return static_cast<int>(std::clamp<std::int64_t>(permille, 0, 1000));
}

}  // namespace kv
