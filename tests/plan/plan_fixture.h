#pragma once
// A job planner over real files in a temporary folder, a scripted prompter,
// a view that records what it is asked, and a worker double.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "core/divide_settings.h"
#include "core/job_state.h"
#include "core/stub_data_file.h"
#include "plan/job_planner.h"
#include "plan/plan_view.h"
#include "plan/real_workers.h"
#include "tests/support/fake_volumes.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/stub_data_builder.h"
#include "tests/support/temp_dir.h"

namespace kv::test {

class RecordingView final : public PlanView {
 public:
  void PullTexts(MainWindowTexts&) override { ++pulls; }
  void ShowTexts(const MainWindowTexts&) override { ++shows; }
  void SetBusy(bool b) override { busy.push_back(b); }
  void AddRecentFile(const std::string& source) override { recent.push_back(source); }
  void PostSelfRestoreCommand() override { ++posts; }
  void StartJobTimer() override { ++timerStarts; }
  void StopJobTimer() override { ++timerStops; }

  int pulls = 0;
  int shows = 0;
  std::vector<bool> busy;
  std::vector<std::string> recent;
  int posts = 0;
  int timerStarts = 0;
  int timerStops = 0;
};

class PlanFixture : public ::testing::Test {
 protected:
  PlanFixture() {
    settings.DivideSizePresets = BuiltInPresets();
    planner.Texts().sizeText = "1,457,664Bytes (1.44MB)";
  }

  // What a job ran with, seen from the worker thread.
  struct Started {
    std::vector<WorkerKind> kinds;
    int divideType = -1;
    std::string source;
    std::string dest;
  };

  // A worker double: records, then ends with `endMessage`.
  void RunWorker(WorkerKind kind, const WorkerContext& c) {
    if (realWorker) {
      RunRealWorker(kind, beforeRealWorker(c));
      return;
    }
    started.kinds.push_back(kind);
    started.divideType = c.settings.DivideType;
    started.source = c.job.JobSource();
    started.dest = c.job.JobDest();
    c.job.SetJobMessage(endMessage);
    c.job.RunState.store(kRunIdle);
  }

  void WriteSized(const std::string& path, std::size_t size) {
    WriteFileBytes(path, std::vector<std::uint8_t>(size, 0x5A));
  }
  // Names the source as a selection does, then analyses.
  void Choose(const std::string& path) {
    planner.Texts().source = path;
    job.SourceChanged = 1;
    planner.AnalyseSource();
  }
  void LoadStubs(int major, const std::vector<TestStubKind>& kinds) {
    WriteFileBytes(dir / "Kolvanto.dat", BuildStubDataFile(major, 0, kinds));
    ASSERT_TRUE(stubs.LoadStubDataFile(dir / "Kolvanto.dat"));
  }
  // Runs the timer until the job has ended.
  void FollowJob() {
    while (planner.OnJobTimer()) {
    }
  }

  TempDir dir;
  DivideSettings settings = DivideSettings::StoredDefaults();
  JobState job;
  StubDataFile stubs;
  ScriptedPrompter prompter;
  FakeVolumes volumes;
  RecordingView view;
  Started started;
  std::string endMessage = "分割が終了しました";
  bool realWorker = false;  // the job's own worker runs instead of the double
  // What the job's own worker is given, from what the planner gave.
  std::function<WorkerContext(const WorkerContext&)> beforeRealWorker = [](const WorkerContext& c) {
    return c;
  };
  JobPlanner planner{
      settings, job, stubs, prompter, volumes, view, [this](WorkerKind k, const WorkerContext& c) {
        RunWorker(k, c);
      }};
};

}  // namespace kv::test
