#include "core/job_end.h"

#include <cerrno>
#include <new>

#include "core/job_texts.h"
#include "core/prompter.h"

namespace kv {

const char* FinalMessage(JobKind kind, JobOutcome outcome) {
  const bool done = outcome == JobOutcome::kDone;
  if (kind == JobKind::kDivide) {
    return done ? texts::kDivideDone : texts::kDivideCancelled;
  }
  if (outcome == JobOutcome::kDoneWithChecksumError) {
    return texts::kRestoreDoneWithError;
  }
  return done ? texts::kRestoreDone : texts::kRestoreCancelled;
}

std::string FailureCause(const JobState& job) {
  if (job.Outcome() != JobOutcome::kFailed || !job.OutcomeError()) {
    return {};
  }
  return FailureText(job.OutcomePath(), job.OutcomeError());
}

std::string FailureText(const std::string& path, const std::error_code& error) {
  return (path.empty() ? path : path + ": ") + error.message();
}

JobEnd EndWithIoError(Prompter& prompter, Failure failure) {
  prompter.Ask(MakeMessage(texts::kIoError, Buttons::kOk, Icon::kStop));
  return {JobOutcome::kFailed, std::move(failure)};
}

void RunToEnd(JobState& job, JobKind kind, const std::function<JobEnd()>& body) {
  JobEnd end;
  try {
    end = body();
  } catch (const std::bad_alloc&) {
    end = {JobOutcome::kFailed, ENOMEM};
  } catch (...) {
    end = {JobOutcome::kFailed, 0};
  }
  job.SetJobMessage(FinalMessage(kind, end.outcome) + end.remark);
  job.SetOutcome(end.outcome, end.error, end.path);
  job.EndRun();
}

}  // namespace kv
