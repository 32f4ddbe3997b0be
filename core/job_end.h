#pragma once
// The one exit every job worker ends through: the final message, the outcome
// and then RunState = 0, whatever happened inside the job.

#include <functional>

#include "core/job_state.h"

namespace kv {

// How a worker's run came to its end; `error` is the errno of a failed call.
struct JobEnd {
  JobOutcome outcome = JobOutcome::kCancelled;
  int error = 0;
};

enum class JobKind { kDivide, kRestore };

// The final message of a job: "分割が終了しました", "復元を中止しました", ...
const char* FinalMessage(JobKind kind, JobOutcome outcome);

// Runs `body` on the calling thread and ends the job with what it returns. No
// exception leaves: one ends the job as failed.
void RunToEnd(JobState& job, JobKind kind, const std::function<JobEnd()>& body);

}  // namespace kv
