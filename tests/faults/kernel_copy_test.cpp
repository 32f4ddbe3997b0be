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
#include "restore/type0_restore.h"
#include "tests/divide/divide_fixture.h"
#include "tests/faults/faulty_system_calls.h"

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 9,437,884 bytes: raw slices of 4,000,000, 4,000,000 and 1,437,884 bytes.
const Bytes& Data() {
  static const Bytes data = RandomBytes(9 * 1024 * 1024 + 700, 21);
  return data;
}

enum class Job { kType0Divide, kType0Restore, kType3Divide };

bool IsPrefix(const Bytes& part, const Bytes& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

class KernelCopy : public ::testing::TestWithParam<Job> {
 protected:
  void SetUp() override {
    WriteFileBytes(dir / "src.bin", Data());
    settings.DivideExt = 1;
    settings.DivideType = Param() == Job::kType3Divide ? 3 : 0;
    if (Param() == Job::kType0Restore) {
      WriteFileBytes(dir / "x.000", Bytes(Data().begin(), Data().begin() + 4000000));
      WriteFileBytes(dir / "x.001", Bytes(Data().begin() + 4000000, Data().end()));
    }
  }
  Job Param() const { return GetParam(); }
  bool Divides() const { return Param() == Job::kType0Divide || Param() == Job::kType3Divide; }
  std::string Folder(int run) const { return dir / ("run" + std::to_string(run)); }

  void Run(int run, Prompter& prompter) {
    std::filesystem::create_directory(Folder(run));
    const std::string out = Folder(run) + (Param() == Job::kType3Divide ? "/p.d01" : "/p.001");
    switch (Param()) {
      case Job::kType0Divide:
        PrepareDivideJob(job, dir / "src.bin", out, 4000000);
        return Type0DivideWorker(settings, job, prompter, volumes);
      case Job::kType3Divide:  // one piece: header, body, trailer
        PrepareDivideJob(job, dir / "src.bin", out, 16 * 1024 * 1024);
        return RunTypedDivide(settings, job, prompter, volumes, stubs);
      case Job::kType0Restore:
        job.ResetProgress();
        job.ThreeDigitNumbering = true;
        job.PiecesOnFixedDrive = true;
        job.SetJobSource(dir / "x.000");
        job.SetJobDest(out);
        job.RunState.store(kRunRunning);
        return Type0RestoreWorker(settings, job, prompter);
    }
  }
  // The pieces a divide wrote one after another, or the restored file.
  Bytes Output(int run) const {
    if (Param() == Job::kType3Divide) {
      return ReadFileBytes(Folder(run) + "/p.d01");
    }
    if (!Divides()) {
      return ReadFileBytes(Folder(run) + "/p.001");
    }
    return Concatenate(ExistingPieces(
        Folder(run) + "/p.001", [&](int n) { return Folder(run) + "/p.00" + std::to_string(n); }));
  }
  // What the job writes ahead of the source's bytes: the Type3 first header.
  std::int64_t Lead(const Bytes& whole) const {
    return Param() == Job::kType3Divide
               ? static_cast<std::int64_t>(whole.size() - Data().size() - 3)
               : 0;
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
  const std::int64_t lead = Lead(reference);
  ASSERT_TRUE(Param() != Job::kType0Divide || reference == Data());

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
      {"a failing disk", {.target = "", .copyFails = EIO}, JobOutcome::kFailed, EIO, 0},
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
    EXPECT_EQ(job.OutcomeError(), c.error);
    const Bytes output = Output(run);
    EXPECT_TRUE(IsPrefix(output, reference)) << output.size();
    if (c.kernelMoves >= 0) {
      EXPECT_EQ(calls.Copied(), c.kernelMoves);
    }
    if (c.outcome == JobOutcome::kDone) {
      EXPECT_TRUE(output == reference);
    } else if (c.outcome == JobOutcome::kFailed) {
      EXPECT_EQ(job.OutcomePath(), Divides() ? dir / "src.bin" : dir / "x.000");
      EXPECT_EQ(job.JobMessage(), Divides() ? "分割を中止しました" : "復元を中止しました");
    } else {
      // The step under way when the stop came is the last one: the count
      // shown is of the steps before it.
      EXPECT_TRUE(asked.Messages().empty());
      EXPECT_GE(static_cast<std::int64_t>(output.size()) - lead,
                std::min<std::int64_t>(1024, c.faults.copyCancelsAt));
      EXPECT_EQ(static_cast<std::int64_t>(output.size()) - lead, job.BytesDone.load() + 1024);
      EXPECT_LT(output.size(), reference.size());
    }
  }
}

// A Type3 divide looks at the copied bytes through a mapping: a page the
// source no longer has is an input/output error, not the end of the program.
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
  const bool typed = Param() == Job::kType3Divide;
  EXPECT_EQ(job.Outcome(), JobOutcome::kFailed);
  EXPECT_EQ(job.OutcomeError(), typed ? EIO : 0);
  EXPECT_EQ(job.OutcomePath(), read);
  const Bytes output = Output(1);
  EXPECT_TRUE(IsPrefix(output, reference));
  // Type3: the copied bytes that could not be seen are taken back. Type0:
  // the bytes copied before the source shrank stay, whole steps only.
  const std::size_t written = output.size() - static_cast<std::size_t>(Lead(reference));
  EXPECT_EQ(written == 0, typed) << written;
  EXPECT_EQ(written % 1024, 0u) << written;
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
  // Back above a megabyte (a piece's end may cut the largest chunk short).
  EXPECT_GT(*std::max_element(requests.begin() + 6, requests.end()), 1048576u);
}

std::string JobName(const ::testing::TestParamInfo<Job>& param) {
  constexpr const char* kNames[] = {"Type0Divide", "Type0Restore", "Type3Divide"};
  return kNames[static_cast<int>(param.param)];
}

INSTANTIATE_TEST_SUITE_P(Jobs, KernelCopy,
                         ::testing::Values(Job::kType0Divide, Job::kType0Restore,
                                           Job::kType3Divide),
                         JobName);

}  // namespace
}  // namespace kv::test
