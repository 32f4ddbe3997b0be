#pragma once
// The one exit every job worker ends through: the final message, the outcome
// and then RunState = 0, whatever happened inside the job.

#include <functional>
#include <string>
#include <system_error>

#include "core/job_state.h"
#include "core/result.h"

namespace kv {

class Prompter;

// How a worker's run came to its end; `error` is the system's error of a
// failed call (an errno on POSIX systems) and `path` the file it failed on.
struct JobEnd {
  JobEnd(JobOutcome anOutcome = JobOutcome::kCancelled, int anErrno = 0, std::string aPath = {})
      : JobEnd(anOutcome, SystemError(anErrno), std::move(aPath)) {}
  JobEnd(JobOutcome anOutcome, std::error_code anError, std::string aPath = {})
      : outcome(anOutcome), error(anError), path(std::move(aPath)) {}
  JobEnd(JobOutcome anOutcome, Failure failure)
      : JobEnd(anOutcome, failure.error, std::move(failure.path)) {}

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

// Shows the input/output error box (OK, stop icon) and gives the end of a job
// that failed with `failure`, the call that failed and its file.
JobEnd EndWithIoError(Prompter& prompter, Failure failure);
// The same into `end`, for steps that report whether the job goes on. Always false.
inline bool FailWithIoError(Prompter& prompter, JobEnd& end, Failure failure) {
  end = EndWithIoError(prompter, std::move(failure));
  return false;
}

// Runs `body` on the calling thread and ends the job with what it returns. No
// exception leaves: one ends the job as failed.
void RunToEnd(JobState& job, JobKind kind, const std::function<JobEnd()>& body);

}  // namespace kv
