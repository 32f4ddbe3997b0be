#include "core/job_end.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <ios>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/job_progress.h"
#include "core/result.h"
#include "tests/support/scripted_prompter.h"

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
    EXPECT_EQ(job.OutcomeError().value(), c.outcome == JobOutcome::kFailed ? EIO : 0);
    EXPECT_EQ(job.RunState.load(), kRunIdle);
  }
}

TEST(JobEnd, AnInputOutputFailureShowsTheBoxAndKeepsItsCauseAndFile) {
  struct Case {
    Result<int> opened;
    int error;
    std::string path;
  };
  const Case cases[] = {
      {Failure{SystemError(ENOSPC), "/media/a/x.d02"}, ENOSPC, "/media/a/x.d02"},
      {Failure{SystemError(0), "/src/x"}, 0, "/src/x"},
      {Failure{SystemError(EBADF), {}}, EBADF, ""},
  };
  for (const Case& c : cases) {
    ASSERT_FALSE(c.opened);
    test::ScriptedPrompter prompter;
    JobEnd end{JobOutcome::kDone};
    EXPECT_FALSE(FailWithIoError(prompter, end, c.opened.Error()));
    EXPECT_EQ(end.outcome, JobOutcome::kFailed);
    EXPECT_EQ(end.error.value(), c.error);
    EXPECT_EQ(end.path, c.path);
    const std::vector<Message> shown = prompter.Messages();
    ASSERT_EQ(shown.size(), 1u);
    const Message& box = shown[0];
    EXPECT_EQ(box.text,
              "ファイル入出力エラーが発生しました。繰り返し発生する場合は、ディスクのエラーチェック"
              "をしてください。");
    EXPECT_EQ(box.buttons, Buttons::kOk);
    EXPECT_EQ(box.icon, Icon::kStop);
  }
  Result<int> held = 7;
  ASSERT_TRUE(held);
  EXPECT_EQ(*held, 7);
  EXPECT_EQ(std::move(held).ValueOr(0), 7);
  EXPECT_EQ(Result<int>(Failure{SystemError(EIO), "p"}).ValueOr(3), 3);
}

TEST(JobEnd, NoExceptionLeavesAWorker) {
  JobState job;
  job.RunState.store(kRunRunning);
  RunToEnd(job, JobKind::kRestore, []() -> JobEnd { throw std::bad_alloc(); });
  EXPECT_EQ(job.Outcome(), JobOutcome::kFailed);
  EXPECT_EQ(job.OutcomeError().value(), ENOMEM);
  EXPECT_EQ(job.JobMessage(), "復元を中止しました");
  EXPECT_EQ(job.RunState.load(), kRunIdle);

  RunToEnd(job, JobKind::kDivide, []() -> JobEnd { throw std::runtime_error("lost"); });
  EXPECT_EQ(job.Outcome(), JobOutcome::kFailed);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
}

// The cause names the file and the system's reason, whether the error is an
// errno or another system's code; no cause without a known error.
TEST(JobEnd, FailureCauseNamesTheFileAndTheReason) {
  struct Case {
    JobEnd end;
    std::string cause;
  };
  const Case cases[] = {
      {{JobOutcome::kFailed, ENOSPC, "/m/report.d02"}, "/m/report.d02: No space left on device"},
      {{JobOutcome::kFailed, EIO}, "Input/output error"},
      {{JobOutcome::kFailed, std::make_error_code(std::io_errc::stream), "/m/x"},
       "/m/x: iostream error"},
      {{JobOutcome::kFailed, 0, "/m/x"}, ""},
      {{JobOutcome::kCancelled, EIO, "/m/x"}, ""},
  };
  for (const Case& c : cases) {
    JobState job;
    job.RunState.store(kRunRunning);
    RunToEnd(job, JobKind::kDivide, [&] { return c.end; });
    EXPECT_EQ(FailureCause(job), c.cause);
  }
}

// A waiter wakes at the worker's end, not at its timeout, and a timeout
// without an end says the run goes on.
TEST(JobEnd, WaitingForTheEndWakesAtTheEnd) {
  using std::chrono::milliseconds;
  JobState job;
  job.RunState.store(kRunRunning);
  EXPECT_FALSE(job.WaitForRunEnd(milliseconds(20)));
  const auto start = std::chrono::steady_clock::now();
  std::thread worker([&] {
    std::this_thread::sleep_for(milliseconds(30));
    RunToEnd(job, JobKind::kDivide, [] { return JobEnd{JobOutcome::kDone}; });
  });
  EXPECT_TRUE(job.WaitForRunEnd(milliseconds(60000)));
  worker.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(20000));
  EXPECT_EQ(job.JobMessage(), "分割が終了しました");
  EXPECT_TRUE(job.WaitForRunEnd(milliseconds(0)));
}

// The status text follows the bytes reported, and an explicit text or a
// reset takes over again.
TEST(JobEnd, StatusTextIsMadeFromTheReportedBytes) {
  JobState job;
  EXPECT_EQ(job.StatusText(), "");
  ReportBytes(job, 1023);
  EXPECT_EQ(job.StatusText(), "0kBytes");
  ReportBytes(job, 1536LL * 1024 * 1024 + 5);
  EXPECT_EQ(job.StatusText(), "1,572,864kBytes");
  EXPECT_EQ(job.BytesDone.load(), 1536LL * 1024 * 1024 + 5);
  job.SetStatusText("1,024Bytes");
  EXPECT_EQ(job.StatusText(), "1,024Bytes");
  ReportBytes(job, 4096);
  job.ResetProgress();
  EXPECT_EQ(job.StatusText(), "");
  EXPECT_EQ(job.BytesDone.load(), 0);
}

}  // namespace
}  // namespace kv
