#include "core/job_end.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <new>
#include <stdexcept>
#include <string>

namespace kv {
namespace {

TEST(JobEnd, FinalMessageFollowsTheOutcome) {
  struct Case {
    JobKind kind;
    JobOutcome outcome;
    std::string message;
  };
  const Case cases[] = {
      {JobKind::kDivide, JobOutcome::kDone, "分割が終了しました"},
      {JobKind::kDivide, JobOutcome::kCancelled, "分割を中止しました"},
      {JobKind::kDivide, JobOutcome::kFailed, "分割を中止しました"},
      {JobKind::kDivide, JobOutcome::kRefused, "分割を中止しました"},
      {JobKind::kRestore, JobOutcome::kDone, "復元が終了しました"},
      {JobKind::kRestore, JobOutcome::kDoneWithChecksumError,
       "復元は終了しましたが、エラーが発生しました。"},
      {JobKind::kRestore, JobOutcome::kCancelled, "復元を中止しました"},
      {JobKind::kRestore, JobOutcome::kFailed, "復元を中止しました"},
  };
  for (const Case& c : cases) {
    JobState job;
    job.RunState.store(kRunRunning);
    RunToEnd(job, c.kind, [&] {
      return JobEnd{c.outcome, c.outcome == JobOutcome::kFailed ? EIO : 0};
    });
    EXPECT_EQ(job.JobMessage(), c.message);
    EXPECT_TRUE(job.MessageChanged.load());
    EXPECT_EQ(job.Outcome(), c.outcome);
    EXPECT_EQ(job.OutcomeError(), c.outcome == JobOutcome::kFailed ? EIO : 0);
    EXPECT_EQ(job.RunState.load(), kRunIdle);
  }
}

TEST(JobEnd, NoExceptionLeavesAWorker) {
  JobState job;
  job.RunState.store(kRunRunning);
  RunToEnd(job, JobKind::kRestore, []() -> JobEnd { throw std::bad_alloc(); });
  EXPECT_EQ(job.Outcome(), JobOutcome::kFailed);
  EXPECT_EQ(job.OutcomeError(), ENOMEM);
  EXPECT_EQ(job.JobMessage(), "復元を中止しました");
  EXPECT_EQ(job.RunState.load(), kRunIdle);

  RunToEnd(job, JobKind::kDivide, []() -> JobEnd { throw std::runtime_error("lost"); });
  EXPECT_EQ(job.Outcome(), JobOutcome::kFailed);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
}

}  // namespace
}  // namespace kv
