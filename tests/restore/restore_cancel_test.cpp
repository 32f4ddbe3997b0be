#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/divide_settings.h"
#include "core/job_state.h"
#include "restore/type0_restore.h"
#include "restore/typed_restore.h"
#include "tests/restore/series_writer.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

namespace kv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Requests a stop as soon as the worker has moved its first steps.
void CancelOnceCopying(JobState& job) {
  while (job.RunState.load() == kRunRunning && job.StatusText().empty()) {
    std::this_thread::yield();
  }
  int running = kRunRunning;
  job.RunState.compare_exchange_strong(running, kRunCancelRequested);
}

TEST(RestoreCancel, TypedRestoreStopsAfterACompletedStep) {
  test::TempDir dir;
  const Bytes data = test::RandomBytes(24 * 1024 * 1024, 9);
  test::SeriesLayout layout;
  layout.divideSize = 7000000;
  const auto series = test::WriteTypedSeries(dir / "big.d01", data, layout);
  JobState job;
  test::PrepareTypedRestore(job, series, dir / "big.bin");
  DivideSettings settings;
  test::ScriptedPrompter prompter;

  std::thread worker([&] { RunTypedRestore(settings, job, prompter); });
  CancelOnceCopying(job);
  worker.join();

  EXPECT_EQ(job.RunState.load(), 0);
  EXPECT_EQ(job.JobMessage(), "復元を中止しました");
  EXPECT_TRUE(prompter.Messages().empty());
  const Bytes partial = test::ReadFileBytes(dir / "big.bin");
  ASSERT_LT(partial.size(), data.size());
  ASSERT_GT(partial.size(), 0u);
  EXPECT_TRUE(std::equal(partial.begin(), partial.end(), data.begin()));
  // The stop falls between steps: within a body, after a whole number of 1024-byte steps.
  std::int64_t bodyStart = 0;
  bool onStepBoundary = false;
  for (std::int64_t length : series.bodyLengths) {
    const auto at = static_cast<std::int64_t>(partial.size()) - bodyStart;
    if (at > 0 && at <= length) {
      onStepBoundary = at % 1024 == 0 || at == length;
    }
    bodyStart += length;
  }
  EXPECT_TRUE(onStepBoundary) << partial.size();
}

TEST(RestoreCancel, Type0RestoreStopsAfterACompletedStep) {
  test::TempDir dir;
  const Bytes a = test::RandomBytes(16 * 1024 * 1024 + 77, 10);
  test::WriteFileBytes(dir / "x.000", a);
  test::WriteFileBytes(dir / "x.001", a);
  JobState job;
  job.ThreeDigitNumbering = 1;
  job.SetJobSource(dir / "x.000");
  job.SetJobDest(dir / "x.bin");
  job.RunState.store(kRunRunning);
  DivideSettings settings;
  test::ScriptedPrompter prompter;

  std::thread worker([&] { Type0RestoreWorker(settings, job, prompter); });
  CancelOnceCopying(job);
  worker.join();

  EXPECT_EQ(job.RunState.load(), 0);
  EXPECT_EQ(job.JobMessage(), "復元を中止しました");
  const Bytes partial = test::ReadFileBytes(dir / "x.bin");
  ASSERT_LT(partial.size(), a.size());
  EXPECT_EQ(partial.size() % 1024, 0u);
  EXPECT_TRUE(std::equal(partial.begin(), partial.end(), a.begin()));
}

}  // namespace
}  // namespace kv
