#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <functional>
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

  std::thread worker([&] { RunType0Restore(settings, job, prompter); });
  CancelOnceCopying(job);
  worker.join();

  EXPECT_EQ(job.RunState.load(), 0);
  EXPECT_EQ(job.JobMessage(), "復元を中止しました");
  // On a loaded machine the kernel may move the whole first piece before the
  // stop is seen: the output is then a prefix of both pieces, still short of the end.
  Bytes whole = a;
  whole.insert(whole.end(), a.begin(), a.end());
  const Bytes partial = test::ReadFileBytes(dir / "x.bin");
  ASSERT_LT(partial.size(), whole.size());
  const std::size_t intoPiece =
      partial.size() < a.size() ? partial.size() : partial.size() - a.size();
  EXPECT_EQ(intoPiece % 1024, 0u) << partial.size();
  EXPECT_TRUE(std::equal(partial.begin(), partial.end(), whole.begin()));
}

// The KiB count of a status text such as "1,026kBytes".
std::int64_t ShownKiB(const std::string& status) {
  std::string digits;
  for (char c : status) {
    if (c >= '0' && c <= '9') {
      digits += c;
    } else if (c != ',') {
      break;
    }
  }
  std::int64_t value = -1;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

// Requests a stop once the status shows at least `kib` KiB: by then whole
// megabyte blocks have been handed to the writer, the last of them most
// likely still on its way to the destination.
void CancelAfter(JobState& job, std::int64_t kib) {
  while (job.RunState.load() == kRunRunning && ShownKiB(job.StatusText()) < kib) {
    std::this_thread::yield();
  }
  int running = kRunRunning;
  job.RunState.compare_exchange_strong(running, kRunCancelRequested);
}

// A cancel is seen after the step that follows the last count shown; every
// step is a whole KiB here, so the destination holds exactly one KiB more
// than the status shows, in order, including every block handed over before.
void ExpectExactlyTheCompletedSteps(const JobState& job, const Bytes& data,
                                    const std::string& dest) {
  EXPECT_EQ(job.RunState.load(), 0);
  EXPECT_EQ(job.JobMessage(), "復元を中止しました");
  const std::int64_t shown = ShownKiB(job.StatusText());
  ASSERT_GE(shown, 1025) << job.StatusText();
  const Bytes partial = test::ReadFileBytes(dest);
  ASSERT_EQ(static_cast<std::int64_t>(partial.size()), (shown + 1) * 1024);
  EXPECT_TRUE(std::equal(partial.begin(), partial.end(), data.begin()));
}

// Runs `restore` on a thread and cancels it after `kib` KiB, again when the
// job outran the cancel (it must then have restored everything: a cancel
// that arrives once the last step is done, while the Type0 restore asks for
// the next piece, changes nothing), until a cancel stops a job; then checks
// the partial destination.
void CancelUntilItLands(const Bytes& data, std::int64_t kib,
                        const std::function<void(test::TempDir&, JobState&)>& prepare,
                        const std::function<void(JobState&, Prompter&)>& restore) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    test::TempDir dir;
    JobState job;
    prepare(dir, job);
    test::ScriptedPrompter prompter;
    std::thread worker([&] { restore(job, prompter); });
    CancelAfter(job, kib);
    worker.join();
    if (job.JobMessage() == "復元を中止しました") {
      EXPECT_TRUE(prompter.Messages().empty());
      ExpectExactlyTheCompletedSteps(job, data, dir / "y.bin");
      return;
    }
    EXPECT_EQ(job.JobMessage(), "復元が終了しました");
    EXPECT_EQ(test::ReadFileBytes(dir / "y.bin"), data);
  }
  ADD_FAILURE() << "every restore ended before its cancel";
}

TEST(RestoreCancel, CancelWithABlockInFlightKeepsExactlyTheCompletedSteps) {
  const Bytes data = test::RandomBytes(12 * 1024 * 1024, 11);
  DivideSettings settings;
  for (const std::int64_t kib : {1025, 2049, 3000, 4100, 6144, 8193}) {
    SCOPED_TRACE(kib);
    CancelUntilItLands(
        data, kib,
        [&](test::TempDir& dir, JobState& job) {
          test::WriteFileBytes(dir / "y.000", data);
          job.ThreeDigitNumbering = 1;
          job.SetJobSource(dir / "y.000");
          job.SetJobDest(dir / "y.bin");
          job.RunState.store(kRunRunning);
        },
        [&](JobState& job, Prompter& prompter) { RunType0Restore(settings, job, prompter); });
    CancelUntilItLands(
        data, kib,
        [&](test::TempDir& dir, JobState& job) {
          test::SeriesLayout layout;
          layout.divideSize = 64 * 1024 * 1024;  // one piece: every step a whole KiB
          const auto series = test::WriteTypedSeries(dir / "y.d01", data, layout);
          ASSERT_EQ(series.pieces.size(), 1u);
          test::PrepareTypedRestore(job, series, dir / "y.bin");
        },
        [&](JobState& job, Prompter& prompter) { RunTypedRestore(settings, job, prompter); });
  }
}

}  // namespace
}  // namespace kv
