// The divide workers with their blocks written on a thread of their own:
// a cancel while a block is being written and a medium that fills up keep
// exactly the bytes of the completed steps and never report success.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "core/stub_data_file.h"
#include "divide/type0_divide.h"
#include "divide/typed_divide.h"
#include "tests/divide/divide_fixture.h"
#include "tests/faults/paced_system_calls.h"

namespace kv::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr std::int64_t kMiB = 1024 * 1024;

template <typename F>
bool WaitFor(F done) {
  for (int i = 0; i < 10000 && !done(); ++i) {
    std::this_thread::sleep_for(1ms);
  }
  return done();
}

Bytes Slice(const Bytes& data, std::int64_t from, std::int64_t to) {
  return Bytes(data.begin() + from, data.begin() + to);
}

class DivideWriterTest : public ::testing::Test {
 protected:
  TempDir dir;
  DivideSettings settings;
  JobState job;
  ScriptedPrompter prompter;
  SystemVolumes volumes;
  StubDataFile stubs;
};

// The cancel comes two steps into the block after a whole megabyte was handed
// to the writer: the piece holds that megabyte and the two steps after it.
TEST_F(DivideWriterTest, Type3CancelAfterAHandedOverBlockKeepsItAndTheStepsAfterIt) {
  const std::string source = dir / "source.bin";
  const auto data = RandomBytes(static_cast<std::size_t>(2 * kMiB), 11);
  WriteFileBytes(source, data);
  settings.DivideType = 3;
  PrepareDivideJob(job, source, dir / "p.d01", static_cast<std::int32_t>(8 * kMiB));
  PacedSystemCalls paced(source);
  ScopedSystemCalls inPlace(paced);

  std::thread worker([&] { RunTypedDivide(settings, job, prompter, volumes, stubs); });
  paced.LetThrough(kMiB + 2048);
  EXPECT_TRUE(WaitFor([&] { return job.StatusText() == "1,026kBytes"; }));
  job.RunState.store(kRunCancelRequested);
  paced.LetThrough(kMiB + 3072);
  worker.join();

  EXPECT_EQ(job.RunState.load(), kRunIdle);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_TRUE(prompter.Messages().empty());
  const Bytes piece = ReadFileBytes(dir / "p.d01");
  const std::int64_t body = kMiB + 3072;
  ASSERT_GT(static_cast<std::int64_t>(piece.size()), body);
  const auto header = static_cast<std::int64_t>(piece.size()) - body;
  EXPECT_LT(header, 300);
  EXPECT_EQ(Bytes(piece.begin(), piece.begin() + 6), Bytes({0x03, '-', 'Q', 'X', '3', '-'}));
  // No trailer: the body ends with the last completed step.
  EXPECT_EQ(Bytes(piece.begin() + header, piece.end()), Slice(data, 0, body));
  EXPECT_FALSE(std::filesystem::exists(dir / "p.d02"));
}

// Cancels at many moments of a job whose pieces end inside the blocks: every
// piece but the last is whole, and the series is exactly the steps completed.
TEST_F(DivideWriterTest, Type0CancelAtAnyMomentLeavesExactlyTheCompletedSteps) {
  const std::int64_t size = 9 * kMiB + 300;
  const std::int64_t pieceSize = 3 * kMiB - 5 * 1024;
  const auto data = RandomBytes(static_cast<std::size_t>(size), 12);
  WriteFileBytes(dir / "big.bin", data);
  settings.DivideExt = 1;
  for (int round = 0; round < 12; ++round) {
    TempDir out;
    JobState roundJob;
    ScriptedPrompter roundPrompter;
    PrepareDivideJob(roundJob, dir / "big.bin", out / "p.001",
                     static_cast<std::int32_t>(pieceSize));
    std::thread worker([&] { RunType0Divide(settings, roundJob, roundPrompter, volumes); });
    std::this_thread::sleep_for(std::chrono::microseconds(round * 1500));
    int expected = kRunRunning;
    roundJob.RunState.compare_exchange_strong(expected, kRunCancelRequested);
    worker.join();

    const bool cancelled = expected == kRunRunning;
    const std::string message = roundJob.JobMessage();
    EXPECT_EQ(roundJob.RunState.load(), kRunIdle);
    EXPECT_TRUE(message == "分割が終了しました" || (cancelled && message == "分割を中止しました"))
        << round;
    EXPECT_TRUE(roundPrompter.Messages().empty());
    const auto pieces =
        ExistingPieces(out / "p.001", [&](int n) { return out / ("p.00" + std::to_string(n)); });
    ASSERT_FALSE(pieces.empty()) << round;
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
      EXPECT_EQ(std::filesystem::file_size(pieces[i]), static_cast<std::uintmax_t>(pieceSize))
          << round << " " << pieces[i];
    }
    const Bytes all = Concatenate(pieces);
    const auto length = static_cast<std::int64_t>(all.size());
    ASSERT_LE(length, size);
    // A cancel that comes after the last step lets the job finish.
    if (length < size) {
      EXPECT_EQ(message, "分割を中止しました") << round;
      EXPECT_TRUE(cancelled) << round;
      EXPECT_EQ(length % 1024, 0) << round;
    }
    EXPECT_EQ(all, Slice(data, 0, length)) << round;
  }
}

}  // namespace
}  // namespace kv::test
