#pragma once
// Divide-then-restore through the job planner on the real workers, the way the
// window and the command line run a job: analysis, Execute with a confirmed
// question, the worker thread, then the job timer until the worker has ended.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/divide_settings.h"
#include "core/job_state.h"
#include "core/stub_data_file.h"
#include "plan/job_planner.h"
#include "plan/real_workers.h"
#include "platform/volumes.h"
#include "tests/plan/plan_fixture.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

namespace kv::test {

class RoundTripFixture : public ::testing::Test {
 protected:
  RoundTripFixture();

  // Full names in the source folder "in" and the piece folder "out".
  std::string In(const std::string& name) const { return dir / ("in/" + name); }
  std::string Out(const std::string& name) const { return dir / ("out/" + name); }

  // Names the source as a selection does, then analyses.
  void Choose(const std::string& path);
  // Chooses `source`, lets the user type `firstPiece` over the proposed name
  // and runs Execute (or the self-restore command for kind 0), confirming with
  // Yes; follows the job to its end. Returns the questions asked by this job.
  std::vector<std::string> Divide(const std::string& source, const std::string& sizeText,
                                  const std::string& firstPiece, bool selfRestoring = false);
  // Chooses the first piece, keeps the proposed destination, confirms with
  // Yes and follows the job; later questions get Cancel. Returns the questions.
  std::vector<std::string> Restore(const std::string& firstPiece);
  // Runs the job timer until the job has ended.
  void FollowJob();
  // Writes a stub data file of `major` with one kind "WIN32" holding `stub` and loads it.
  void LoadStub(int major, const std::vector<std::uint8_t>& stub);

  // The names of the files in "out", sorted.
  std::vector<std::string> OutFiles() const;

  TempDir dir;
  // The destination the analysis proposed for the last Divide, before the user's name replaced it.
  std::string proposedDestination;
  DivideSettings settings = DivideSettings::StoredDefaults();
  JobState job;
  StubDataFile stubs;
  ScriptedPrompter prompter;
  SystemVolumes volumes;
  RecordingView view;
  JobPlanner planner{settings, job, stubs, prompter, volumes, view, RunRealWorker};
};

// Sizes of the files, in order; -1 for a file that is missing.
std::vector<std::int64_t> FileSizes(const std::vector<std::string>& paths);
// True when both files hold the same bytes; compared in blocks of 1 MiB.
bool SameContent(const std::string& a, const std::string& b);

}  // namespace kv::test
