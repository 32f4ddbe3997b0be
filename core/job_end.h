#pragma once
// The one exit every job worker ends through: the final message, the outcome
// and then RunState = 0, whatever happened inside the job.

#include <functional>
#include <string>

#include "core/job_state.h"

namespace kv {

// How a worker's run came to its end; `error` is the errno of a failed call
// and `path` the file it failed on.
struct JobEnd {
  JobEnd(JobOutcome anOutcome = JobOutcome::kCancelled, int anError = 0, std::string aPath = {})
      : outcome(anOutcome), error(anError), path(std::move(aPath)) {}

  JobOutcome outcome;
  int error;
  std::string path;
  // What the final message gains (the pieces rebuilt on the way).
  std::string remark = {};
};

enum class JobKind { kDivide, kRestore };

// The final message of a job: "分割が終了しました", "復元を中止しました", ...
const char* FinalMessage(JobKind kind, JobOutcome outcome);

// The cause of a failed job in the system's words, with the file it failed
// on: "PATH: reason" (the reason alone when no file is known); empty unless
// the job failed with a known errno.
std::string FailureCause(const JobState& job);
// "PATH: reason" for a call that failed on `path` with `error` ("reason"
// alone without a path).
std::string FailureText(const std::string& path, int error);

// Runs `body` on the calling thread and ends the job with what it returns. No
// exception leaves: one ends the job as failed.
void RunToEnd(JobState& job, JobKind kind, const std::function<JobEnd()>& body);

}  // namespace kv
