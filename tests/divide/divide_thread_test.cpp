// The divide workers on a real thread while the test reads the job record and
// cancels, as the main window's timer does.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

// Waits until `done` holds, for at most ten seconds.
template <typename F>
bool WaitFor(F done) {
  for (int i = 0; i < 10000 && !done(); ++i) {
    std::this_thread::sleep_for(1ms);
  }
  return done();
}

// The source's reads come only as far as the test lets them: the worker
// waits on the step after the bytes given so far, so the cancel request lands
// at a chosen step.
TEST(DivideThreadTest, Type0CancelAtAChosenStepKeepsExactlyTheCompletedSteps) {
  TempDir dir;
  const std::string source = dir / "source.bin";
  const auto data = RandomBytes(100000, 5);
  WriteFileBytes(source, data);
  DivideSettings settings;
  settings.DivideExt = 1;
  JobState job;
  ScriptedPrompter prompter;
  SystemVolumes volumes;
  PrepareDivideJob(job, source, dir / "p.001", 8192);
  PacedSystemCalls paced(source);
  ScopedSystemCalls inPlace(paced);

  std::thread worker([&] { RunType0Divide(settings, job, prompter, volumes); });
  // Ten steps: the first piece (eight steps) and two steps of the second.
  paced.LetThrough(10 * 1024);
  EXPECT_TRUE(WaitFor([&] { return job.StatusText() == "10kBytes"; }));
  EXPECT_TRUE(job.DestChanged.load());
  EXPECT_EQ(job.JobDest(), dir / "p.002");
  EXPECT_EQ(job.JobMessage(), "  分割中です");
  EXPECT_EQ(job.ProgressPermille.load(), 10 * 1024 * 1000 / 100000);
  EXPECT_EQ(job.RunState.load(), kRunRunning);
  job.RunState.store(kRunCancelRequested);
  // The step under way completes; then the worker stops.
  paced.LetThrough(14 * 1024);
  worker.join();

  EXPECT_EQ(job.RunState.load(), kRunIdle);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_TRUE(prompter.Messages().empty());
  EXPECT_EQ(ReadFileBytes(dir / "p.001"),
            std::vector<std::uint8_t>(data.begin(), data.begin() + 8192));
  EXPECT_EQ(ReadFileBytes(dir / "p.002"),
            std::vector<std::uint8_t>(data.begin() + 8192, data.begin() + 11 * 1024));
  EXPECT_FALSE(std::filesystem::exists(dir / "p.003"));
}

// The source is swapped for a pipe with no writer after the analysis: the
// worker must neither wait in the open for a writer that never comes nor
// divide the pipe, but end at once with the input/output error naming the source.
TEST(DivideThreadTest, SourceSwappedForAPipeEndsTheJobWithoutWaiting) {
  struct Case {
    const char* worker;
    int divideType;
  };
  for (const Case& c : {Case{"Type0", 0}, Case{"Type3", 3}}) {
    SCOPED_TRACE(c.worker);
    TempDir dir;
    const std::string source = dir / "data.bin";
    DivideSettings settings;
    settings.DivideType = c.divideType;
    JobState job;
    ScriptedPrompter prompter;
    SystemVolumes volumes;
    StubDataFile stubs;
    PrepareDivideJob(job, source, dir / "data.d01", 1000);
    job.SourceSize = 5000;
    ASSERT_EQ(::mkfifo(source.c_str(), 0600), 0);

    std::thread worker([&] {
      c.divideType == 0 ? RunType0Divide(settings, job, prompter, volumes)
                        : RunTypedDivide(settings, job, prompter, volumes, stubs);
    });
    const bool ended = WaitFor([&] { return job.RunState.load() == kRunIdle; });
    if (!ended) {
      // A worker waiting in the open is let go so that the test can end.
      const int writer = ::open(source.c_str(), O_WRONLY | O_NONBLOCK);
      ::close(writer);
    }
    worker.join();

    EXPECT_TRUE(ended);
    EXPECT_EQ(job.JobMessage(), "分割を中止しました");
    EXPECT_EQ(job.Outcome(), JobOutcome::kFailed);
    EXPECT_EQ(job.OutcomeError().value(), ESPIPE);
    EXPECT_EQ(job.OutcomePath(), source);
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].text,
              "ファイル入出力エラーが発生しました。繰り返し発生する場合は、"
              "ディスクのエラーチェックをしてください。");
  }
}

TEST(DivideThreadTest, Type3CancelWhileRunningKeepsWholePiecesAndEnds) {
  TempDir dir;
  const auto data = RandomBytes(8 * 1024 * 1024, 6);
  WriteFileBytes(dir / "big.bin", data);
  DivideSettings settings;
  settings.DivideType = 3;
  JobState job;
  ScriptedPrompter prompter;
  SystemVolumes volumes;
  StubDataFile stubs;
  PrepareDivideJob(job, dir / "big.bin", dir / "big.d01", 100000);

  std::thread worker([&] { RunTypedDivide(settings, job, prompter, volumes, stubs); });
  int lastSeen = 0;
  bool monotonic = true;
  WaitFor([&] {
    const int p = job.ProgressPermille.load();
    monotonic = monotonic && p >= lastSeen;
    lastSeen = p;
    return p >= 100 || job.RunState.load() == kRunIdle;
  });
  int expected = kRunRunning;
  job.RunState.compare_exchange_strong(expected, kRunCancelRequested);
  worker.join();

  EXPECT_TRUE(monotonic);
  EXPECT_EQ(job.RunState.load(), kRunIdle);
  const bool cancelled = expected == kRunRunning;
  EXPECT_EQ(job.JobMessage(), cancelled ? "分割を中止しました" : "分割が終了しました");
  // Every piece before the one being written when the cancel came is whole.
  const std::string last = job.JobDest();
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    const std::string name = entry.path().string();
    if (name != last && name != dir / "big.bin") {
      EXPECT_EQ(std::filesystem::file_size(entry.path()), 100000u) << name;
    }
  }
  EXPECT_TRUE(prompter.Messages().empty());
}

}  // namespace
}  // namespace kv::test
