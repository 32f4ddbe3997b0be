// Jobs whose bytes the kernel moves from file to file: refused, failing,
// ending early or asked to stop at a chosen byte while it copies, or a source
// that shrinks under the copy. A refusal or an early end gives the same bytes
// through read and write; an error ends the job with its errno; a stop leaves
// exactly the completed steps.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "core/stub_data_file.h"
#include "divide/type0_divide.h"
#include "divide/typed_divide.h"
#include "platform/chunk_pace.h"
#include "restore/type0_restore.h"
#include "tests/divide/divide_fixture.h"
#include "tests/faults/faulty_system_calls.h"

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kSlice = 4 * 1024 * 1024;

// 9,437,884 bytes: raw slices of 4 MiB, 4 MiB and 1,049,276 bytes.
const Bytes& Data() {
  static const Bytes data = RandomBytes(9 * 1024 * 1024 + 700, 21);
  return data;
}

enum class Job { kType0Divide, kType0Restore };

bool IsPrefix(const Bytes& part, const Bytes& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

class KernelCopy : public ::testing::TestWithParam<Job> {
 protected:
  void SetUp() override {
    WriteFileBytes(dir / "src.bin", Data());
    settings.DivideExt = 1;
    if (Param() == Job::kType0Restore) {
      WriteFileBytes(dir / "x.000", Bytes(Data().begin(), Data().begin() + kSlice));
      WriteFileBytes(dir / "x.001", Bytes(Data().begin() + kSlice, Data().end()));
    }
  }
  Job Param() const { return GetParam(); }
  bool Divides() const { return Param() == Job::kType0Divide; }
  std::string Folder(int run) const { return dir / ("run" + std::to_string(run)); }

  void Run(int run, Prompter& prompter) {
    std::filesystem::create_directory(Folder(run));
    const std::string out = Folder(run) + "/p.001";
    switch (Param()) {
      case Job::kType0Divide:
        PrepareDivideJob(job, dir / "src.bin", out, kSlice);
        return RunType0Divide(settings, job, prompter, volumes);
      case Job::kType0Restore:
        job.ResetProgress();
        job.ThreeDigitNumbering = true;
        job.PiecesOnFixedDrive = true;
        job.SetJobSource(dir / "x.000");
        job.SetJobDest(out);
        job.RunState.store(kRunRunning);
        return RunType0Restore(settings, job, prompter);
    }
  }
  // The pieces a divide wrote one after another, or the restored file.
  Bytes Output(int run) const {
    if (!Divides()) {
      return ReadFileBytes(Folder(run) + "/p.001");
    }
    return Concatenate(ExistingPieces(
        Folder(run) + "/p.001", [&](int n) { return Folder(run) + "/p.00" + std::to_string(n); }));
  }
  TempDir dir;
  DivideSettings settings;
  JobState job;
  SystemVolumes volumes;
  StubDataFile stubs;
};

TEST_P(KernelCopy, RefusalsEarlyEndsErrorsAndStopsKeepTheStepsInOrder) {
  ScriptedPrompter clean;
  Run(0, clean);
  ASSERT_EQ(job.Outcome(), JobOutcome::kDone);
  const Bytes reference = Output(0);
  ASSERT_TRUE(!Divides() || reference == Data());

  const std::string source = Divides() ? "src.bin" : "x.000";
  struct Case {
    const char* name;
    Faults faults;
    JobOutcome outcome;
    int error;
    std::int64_t kernelMoves;  // -1: some bytes, not all
  };
  const std::vector<Case> cases = {
      {"the kernel moves every byte", {.target = ""}, JobOutcome::kDone, 0, 9437884},
      {"another filesystem", {.target = "", .copyFails = EXDEV}, JobOutcome::kDone, 0, 0},
      {"a kernel without the call", {.target = "", .copyFails = ENOSYS}, JobOutcome::kDone, 0, 0},
      {"an end inside a step",
       {.target = "", .copyEndsAt = 1500000},
       JobOutcome::kDone,
       0,
       1500000},
      // A kernel copy's EIO could be either file's: read and write tell which.
      {"a failing disk under the source",
       {.target = source, .readFailsAt = 0},
       JobOutcome::kFailed,
       EIO,
       0},
      {"a failing disk under the output",
       {.target = "p.001", .writeFullAt = 0, .writeError = EIO},
       JobOutcome::kFailed,
       EIO,
       0},
      {"a stop inside piece 2",
       {.target = "", .copyCancelsAt = 5000000},
       JobOutcome::kCancelled,
       0,
       -1},
      {"a stop in the first step",
       {.target = "", .copyCancelsAt = 1},
       JobOutcome::kCancelled,
       0,
       -1},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const int run = static_cast<int>(i) + 1;
    Faults faults = c.faults;
    faults.cancel = &job.RunState;
    FaultySystemCalls calls(faults);
    ScriptedPrompter asked;
    {
      const ScopedSystemCalls inPlace(calls);
      Run(run, asked);
    }
    EXPECT_EQ(job.Outcome(), c.outcome);
    EXPECT_EQ(job.OutcomeError().value(), c.error);
    const Bytes output = Output(run);
    EXPECT_TRUE(IsPrefix(output, reference)) << output.size();
    if (c.kernelMoves >= 0) {
      EXPECT_EQ(calls.Copied(), c.kernelMoves);
    }
    if (c.outcome == JobOutcome::kDone) {
      EXPECT_TRUE(output == reference);
    } else if (c.outcome == JobOutcome::kFailed) {
      const bool outputFails = c.faults.target == "p.001";
      EXPECT_EQ(job.OutcomePath(), outputFails ? Folder(run) + "/p.001" : dir / source);
      EXPECT_EQ(job.JobMessage(), Divides() ? "分割を中止しました" : "復元を中止しました");
    } else {
      // The step under way when the stop came is the last one: the count
      // shown is of the steps before it.
      EXPECT_TRUE(asked.Messages().empty());
      EXPECT_GE(static_cast<std::int64_t>(output.size()),
                std::min<std::int64_t>(1024, c.faults.copyCancelsAt));
      EXPECT_EQ(static_cast<std::int64_t>(output.size()), job.BytesDone.load() + 1024);
      EXPECT_LT(output.size(), reference.size());
    }
  }
}

// The bytes copied before the source shrank stay, whole steps only, and the
// job ends on the source.
TEST_P(KernelCopy, ASourceThatShrinksUnderTheCopyEndsTheJobWithTheStepsBeforeIt) {
  ScriptedPrompter clean;
  Run(0, clean);
  ASSERT_EQ(job.Outcome(), JobOutcome::kDone);
  const Bytes reference = Output(0);
  const std::string read = Divides() ? dir / "src.bin" : dir / "x.000";
  FaultySystemCalls calls({.target = "", .shrinksAfterCopy = read});
  ScriptedPrompter asked;
  {
    const ScopedSystemCalls inPlace(calls);
    Run(1, asked);
  }
  EXPECT_EQ(job.Outcome(), JobOutcome::kFailed);
  EXPECT_EQ(job.OutcomePath(), read);
  const Bytes output = Output(1);
  EXPECT_TRUE(IsPrefix(output, reference));
  EXPECT_GT(output.size(), 0u);
  EXPECT_EQ(output.size() % 1024, 0u) << output.size();
}

// A medium that takes long over each chunk makes the next chunks smaller, so
// a cancel still waits no more than a few milliseconds; quick chunks grow again.
TEST_P(KernelCopy, SlowChunksShrinkToSixtyFourKiBAndQuickOnesGrowBack) {
  FaultySystemCalls calls({.target = "", .slowCopies = 6});
  ScriptedPrompter asked;
  {
    const ScopedSystemCalls inPlace(calls);
    Run(1, asked);
  }
  EXPECT_EQ(job.Outcome(), JobOutcome::kDone);
  const std::vector<std::size_t> requests = calls.CopyRequests();
  ASSERT_GT(requests.size(), 12u);
  EXPECT_EQ(requests[5], 65536u);
  EXPECT_EQ(requests[6], 65536u);
  // Growing again once copies are quick; how far depends on the machine's
  // load, which the pace itself is tested without.
  EXPECT_GT(*std::max_element(requests.begin() + 6, requests.end()), 65536u);
}

TEST(ChunkPace, HalvesAfterASlowChunkAndDoublesAfterAQuickOne) {
  using std::chrono::milliseconds;
  const struct {
    std::int64_t bytes;
    milliseconds took;
    std::int64_t next;
  } cases[] = {
      {1 << 20, milliseconds(21), 1 << 19}, {1 << 16, milliseconds(50), 1 << 16},
      {1 << 20, milliseconds(4), 1 << 21},  {1 << 21, milliseconds(1), 1 << 21},
      {1 << 20, milliseconds(5), 1 << 20},  {1 << 20, milliseconds(20), 1 << 20},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PacedChunk(c.bytes, c.took, 1 << 16, 1 << 21), c.next)
        << c.bytes << " " << c.took.count();
  }
}

// The kernel copies only where a body's bytes sit alike within a page in the
// source and in the piece: a slice off the page, or a body behind a header,
// goes through read and write, which is quicker there. The pieces are the same.
TEST(KernelCopyPlaces, ABodyOffThePageIsReadAndWritten) {
  struct Case {
    int type;
    std::int32_t pieceSize;
    std::int64_t kernelMoves;
  };
  const Case cases[] = {
      {0, kSlice, 9437884},
      {0, 4000000, 4000000},  // only the first slice starts where its piece does
      {1, kSlice, 0},
      {3, kSlice, 0},
  };
  TempDir dir;
  WriteFileBytes(dir / "src.bin", Data());
  SystemVolumes volumes;
  StubDataFile stubs;
  int run = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << ", pieces of " << c.pieceSize);
    const std::string first = dir / (std::to_string(++run) + (c.type == 0 ? ".001" : ".d01"));
    DivideSettings settings;
    settings.DivideExt = 1;
    settings.DivideType = c.type;
    JobState job;
    PrepareDivideJob(job, dir / "src.bin", first, c.pieceSize);
    FaultySystemCalls calls({.target = ""});
    {
      const ScopedSystemCalls inPlace(calls);
      ScriptedPrompter asked;
      if (c.type == 0) {
        RunType0Divide(settings, job, asked, volumes);
      } else {
        RunTypedDivide(settings, job, asked, volumes, stubs);
      }
    }
    ASSERT_EQ(job.Outcome(), JobOutcome::kDone);
    EXPECT_EQ(calls.Copied(), c.kernelMoves);
    if (c.type == 0) {
      EXPECT_TRUE(Concatenate(ExistingPieces(first, [&](int n) {
                    return dir / (std::to_string(run) + ".00" + std::to_string(n));
                  })) == Data());
    }
  }
}

std::string JobName(const ::testing::TestParamInfo<Job>& param) {
  constexpr const char* kNames[] = {"Type0Divide", "Type0Restore"};
  return kNames[static_cast<int>(param.param)];
}

INSTANTIATE_TEST_SUITE_P(Jobs, KernelCopy, ::testing::Values(Job::kType0Divide, Job::kType0Restore),
                         JobName);

}  // namespace
}  // namespace kv::test
