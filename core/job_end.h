#pragma once
// The one exit every job worker ends through: the final message, the outcome
// and then RunState = 0, whatever happened inside the job.

#include <functional>
#include <string>
#include <system_error>

#include "core/job_state.h"

namespace kv {

// How a worker's run came to its end; `error` is the system's error of a
// failed call (an errno on POSIX systems) and `path` the file it failed on.
struct JobEnd {
  JobEnd(JobOutcome anOutcome = JobOutcome::kCancelled, int anErrno = 0, std::string aPath = {})
      : JobEnd(anOutcome, SystemError(anErrno), std::move(aPath)) {}
  JobEnd(JobOutcome anOutcome, std::error_code anError, std::string aPath = {})
      : outcome(anOutcome), error(anError), path(std::move(aPath)) {}

  JobOutcome outcome;
  std::error_code error;
  std::string path;
  // What the final message gains (the pieces rebuilt on the way).
  std::string remark = {};
};

enum class JobKind { kDivide, kRestore };

// The final message of a job: "分割が終了しました", "復元を中止しました", ...
const char* FinalMessage(JobKind kind, JobOutcome outcome);

// The cause of a failed job in the system's words, with the file it failed
// on: "PATH: reason" (the reason alone when no file is known); empty unless
// the job failed with a known error.
std::string FailureCause(const JobState& job);
// "PATH: reason" for a call that failed on `path` with `error` ("reason"
// alone without a path).
std::string FailureText(const std::string& path, const std::error_code& error);
// The same for a call that failed with the errno `error`.
std::string FailureText(const std::string& path, int error);

// Runs `body` on the calling thread and ends the job with what it returns. No
// exception leaves: one ends the job as failed.
void RunToEnd(JobState& job, JobKind kind, const std::function<JobEnd()>& body);

}  // namespace kv
