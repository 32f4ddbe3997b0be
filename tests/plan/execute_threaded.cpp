// Jobs started by Execute on a worker thread and followed by the job timer to their end.

#include <cerrno>
#include <filesystem>
#include <thread>

#include "divide/recovery_tap.h"
#include "plan/real_workers.h"
#include "tests/divide/divide_fixture.h"

#include "plan_fixture.h"

namespace kv::test {
namespace {

class ExecuteJobs : public PlanFixture {
 protected:
  void SetUp() override {
    WriteSized(dir / "a.bin", 3000000);
    Choose(dir / "a.bin");
  }
};

TEST_F(ExecuteJobs, DivideRunsAndTheTimerRestoresTheWindow) {
  prompter.Script({Answer::kYes});
  planner.Execute();
  EXPECT_TRUE(planner.JobActive());
  EXPECT_EQ(planner.Texts().title, "Kolvanto 分割中");
  EXPECT_TRUE(planner.Texts().progressText);
  EXPECT_EQ(view.busy, std::vector<bool>{true});
  EXPECT_EQ(view.recent, std::vector<std::string>{dir / "a.bin"});
  EXPECT_EQ(view.timerStarts, 1);
  FollowJob();
  EXPECT_EQ(started.kinds, std::vector<WorkerKind>{WorkerKind::kTypedDivide});
  EXPECT_EQ(started.source, dir / "a.bin");
  EXPECT_EQ(started.dest, dir / "a.d01");
  EXPECT_EQ(planner.Texts().title, "Kolvanto 終了");
  EXPECT_EQ(planner.Texts().information, "分割が終了しました");
  EXPECT_EQ(view.busy, (std::vector<bool>{true, false}));
  EXPECT_EQ(view.timerStops, 1);
  EXPECT_FALSE(planner.JobActive());
  EXPECT_EQ(prompter.Messages().size(), 1u);  // no end box with EndMessage off
  EXPECT_EQ(job.PiecesOnFixedDrive, 1);
}

TEST_F(ExecuteJobs, WorkerChoiceAndEndBox) {
  settings.DivideType = 0;
  settings.EndMessage = true;
  prompter.SetFallback(Answer::kYes);
  planner.Execute();
  FollowJob();
  WriteSized(dir / "data.001", 300);
  Choose(dir / "data.001");
  endMessage = "復元が終了しました";
  planner.Execute();
  EXPECT_EQ(planner.Texts().title, "Kolvanto 復元中");
  FollowJob();
  EXPECT_EQ(started.kinds,
            (std::vector<WorkerKind>{WorkerKind::kType0Divide, WorkerKind::kType0Restore}));
  const Message m = prompter.Messages().back();
  EXPECT_EQ(m.text, "復元が終了しました");
  EXPECT_EQ(m.caption, "Kolvanto  終了確認");
  EXPECT_EQ(m.icon, Icon::kInformation);
  EXPECT_EQ(m.buttons, Buttons::kOk);
}

TEST_F(ExecuteJobs, OverwriteYesDeletesTheDestination) {
  WriteSized(dir / "a.d01", 7);
  prompter.Script({Answer::kYes, Answer::kYes});
  planner.Execute();
  EXPECT_FALSE(std::filesystem::exists(dir / "a.d01"));
  FollowJob();
  EXPECT_EQ(started.kinds.size(), 1u);
}

// Another job takes the destination's name while the overwrite question is
// open: Yes removes only the file asked of, so the other job's file survives
// byte for byte and this job ends failed at its exclusive creation.
TEST_F(ExecuteJobs, YesToOverwriteKeepsAFileSwappedInMeanwhile) {
  HookPrompter swapping;
  swapping.script.Script({Answer::kYes, Answer::kYes, Answer::kCancel});
  swapping.onAsk = [&](const Message& m) {
    if (m.kind == MessageKind::kOverwrite) {
      WriteFileBytes(dir / "other.tmp", {7, 8, 9});
      std::filesystem::rename(dir / "other.tmp", dir / "a.d01");
    }
  };
  JobPlanner real(settings, job, stubs, swapping, volumes, view, RunRealWorker);
  real.Texts() = planner.Texts();
  WriteSized(dir / "a.d01", 7);
  volumes.SetFree(4294967295u);
  real.Execute();
  while (real.OnJobTimer()) {
  }

  EXPECT_EQ(ReadFileBytes(dir / "a.d01"), (std::vector<std::uint8_t>{7, 8, 9}));
  EXPECT_EQ(swapping.script.Messages().back().text, "ファイルを作成できません");
  EXPECT_EQ(job.Outcome(), JobOutcome::kFailed);
  EXPECT_EQ(job.OutcomeError().value(), EEXIST);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
}

// A restore allowed to replace a file keeps it when the restore stops short,
// and says where the partial output is; once restored, the output takes its place.
TEST_F(ExecuteJobs, ARestoreReplacesTheOldFileOnlyOnceRestored) {
  ScriptedPrompter answers;
  answers.SetFallback(Answer::kYes);
  JobPlanner real(settings, job, stubs, answers, volumes, view, RunRealWorker);
  real.Texts() = planner.Texts();
  volumes.SetFree(4294967295u);
  real.Execute();
  while (real.OnJobTimer()) {
  }
  ASSERT_EQ(job.Outcome(), JobOutcome::kDone);
  const std::vector<std::uint8_t> source = ReadFileBytes(dir / "a.bin");
  const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
  std::filesystem::rename(dir / "a.d03", dir / "a.d03.away");
  for (const bool complete : {false, true}) {
    SCOPED_TRACE(complete);
    if (complete) {
      std::filesystem::rename(dir / "a.d03.away", dir / "a.d03");
      std::filesystem::remove(dir / "a.bin.kvpart");
    }
    WriteFileBytes(dir / "a.bin", old);
    real.Texts().source = dir / "a.d01";
    job.SourceChanged = true;
    real.AnalyseSource();
    // Yes to the job and to overwriting; Cancel to the missing piece.
    answers.Script({Answer::kYes, Answer::kYes, Answer::kCancel});
    real.Execute();
    while (real.OnJobTimer()) {
    }
    if (complete) {
      EXPECT_EQ(real.Texts().information, "復元が終了しました");
      EXPECT_TRUE(ReadFileBytes(dir / "a.bin") == source);
      EXPECT_FALSE(std::filesystem::exists(dir / "a.bin.kvpart"));
    } else {
      EXPECT_EQ(real.Texts().information,
                "復元を中止しました\n元のファイルはそのままです。復元したデータは次の名前で残ってい"
                "ます：\n" +
                    dir / "a.bin.kvpart");
      EXPECT_EQ(ReadFileBytes(dir / "a.bin"), old);
    }
  }
}

TEST_F(ExecuteJobs, SelfRestoreSwapsTheTypeForTheJobOnly) {
  settings.DivideType = 1;
  LoadStubs(1, {{"WIN32", std::vector<std::uint8_t>(100, 1)}});
  volumes.SetRemovableMounts("");
  settings.RemovableDrive = dir.Path().string();
  prompter.Script({Answer::kYes});
  planner.CreateSelfRestoringKind(0);
  ASSERT_TRUE(planner.JobActive());
  EXPECT_EQ(settings.DivideType, 2);
  FollowJob();
  EXPECT_EQ(started.divideType, 2);
  EXPECT_EQ(started.dest, dir / "a.exe");
  EXPECT_EQ(started.kinds, std::vector<WorkerKind>{WorkerKind::kTypedDivide});
  EXPECT_EQ(job.PiecesOnFixedDrive, 0);
  EXPECT_EQ(settings.DivideType, 1);
  EXPECT_EQ(job.SelfRestoreJob, 0);
}

// A worker that moves data until it is asked to stop, as the engines do.
TEST_F(ExecuteJobs, CancelWhileRunningAndASecondCloseIsIgnored) {
  std::atomic<bool> release{false};
  JobPlanner p(settings, job, stubs, prompter, volumes, view,
               [&](WorkerKind, const WorkerContext& c) {
                 while (c.job.RunState.load() == kRunRunning) {
                   c.job.ProgressPermille.store(c.job.ProgressPermille.load() % 1000 + 1);
                   c.job.SetStatusText("12kBytes");
                   std::this_thread::yield();
                 }
                 while (!release.load()) {
                   std::this_thread::yield();
                 }
                 c.job.SetJobMessage("分割を中止しました");
                 c.job.RunState.store(kRunIdle);
               });
  p.Texts() = planner.Texts();
  prompter.SetFallback(Answer::kYes);
  p.Execute();
  ASSERT_TRUE(p.JobActive());
  // Let the worker move some data before anything is asked of the planner.
  while (job.ProgressPermille.load() == 0) {
    std::this_thread::yield();
  }
  EXPECT_TRUE(p.OnJobTimer());
  // Execute, the analysis and the self-restore commands do nothing while the job runs.
  const auto asked = prompter.Messages().size();
  p.Execute();
  p.CreateSelfRestoringKind(0);
  p.CreateSelfRestoring();  // no stub data file: not even that is said
  p.AnalyseSource();
  EXPECT_EQ(prompter.Messages().size(), asked);

  EXPECT_EQ(p.Cancel(), CancelOutcome::kCancelRequested);
  EXPECT_EQ(p.Cancel(), CancelOutcome::kIgnored);
  EXPECT_TRUE(p.OnJobTimer());
  release = true;
  while (p.OnJobTimer()) {
  }
  EXPECT_EQ(p.Texts().information, "分割を中止しました");
  EXPECT_EQ(p.Texts().statusField, "12kBytes");
  EXPECT_GT(p.Texts().progress, 0);
  EXPECT_EQ(p.Cancel(), CancelOutcome::kClose);
}

TEST_F(ExecuteJobs, TimerMirrorsNamesAndHoldsTheDisplay) {
  std::atomic<int> step{0};
  JobPlanner p(settings, job, stubs, prompter, volumes, view,
               [&](WorkerKind, const WorkerContext& c) {
                 c.job.SetStatusText("1kBytes");
                 c.job.ProgressHold.store(2);
                 c.job.SetJobDest(dir / "a.d02", true);
                 step = 1;
                 while (step.load() != 2) {
                   std::this_thread::yield();
                 }
                 c.job.SetStatusText("2kBytes");
                 step = 3;
                 while (step.load() != 4) {
                   std::this_thread::yield();
                 }
                 c.job.SetJobMessage("分割が終了しました");
                 c.job.RunState.store(kRunIdle);
               });
  p.Texts() = planner.Texts();
  prompter.SetFallback(Answer::kYes);
  p.Execute();
  while (step.load() != 1) {
    std::this_thread::yield();
  }
  EXPECT_TRUE(p.OnJobTimer());  // hold 2: refreshed, counts down to 1
  EXPECT_EQ(p.Texts().statusField, "1kBytes");
  EXPECT_EQ(p.Texts().destination, dir / "a.d02");
  EXPECT_EQ(job.ProgressHold.load(), 1);
  step = 2;
  while (step.load() != 3) {
    std::this_thread::yield();
  }
  EXPECT_TRUE(p.OnJobTimer());  // hold 1: frozen
  EXPECT_EQ(p.Texts().statusField, "1kBytes");
  step = 4;
  while (p.OnJobTimer()) {
  }
  EXPECT_EQ(p.Texts().statusField, "2kBytes");
}

}  // namespace
}  // namespace kv::test

namespace kv::test {
namespace {

// A divide with recovery data to removable media: nothing is asked about it
// before the job, and the end names the files or says why there are none.
TEST_F(ExecuteJobs, ADivideToRemovableMediaWritesItsRecoveryDataWhileDividing) {
  WriteFileBytes(dir / "a.bin", RandomBytes(3000000, 4));
  settings.Recovery = true;
  settings.RecoveryPieces = 1;
  settings.RemovableDrive = dir.Path().string();
  settings.EndMessage = false;
  volumes.SetFree(1ULL << 40);
  realWorker = true;
  struct Case {
    const char* what;
    bool setThere;  // a file of the set's index name stands on the medium
    std::string end;
  } cases[] = {
      {"written", false,
       "分割が終了しました\r\n修復データを作成しました：\r\n" + dir / "a.par2" + "\r\n" +
           dir / "a.vol0+1.par2"},
      {"not written", true,
       "分割が終了しました\r\n修復データは作成できませんでした\r\n" + dir / "a.par2" +
           ": File exists\r\n分割ファイルは正しく作成されています"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* name : {"a.d01", "a.d02", "a.d03", "a.par2", "a.vol0+1.par2"}) {
      std::filesystem::remove(dir / name);
    }
    if (c.setThere) {
      WriteSized(dir / "a.par2", 10);
    }
    prompter.SetFallback(Answer::kYes);
    const std::size_t before = prompter.Messages().size();
    Choose(dir / "a.bin");
    planner.Execute();
    FollowJob();
    EXPECT_EQ(planner.Texts().information, c.end);
    std::vector<std::string> asked;
    for (std::size_t k = before; k < prompter.Messages().size(); ++k) {
      asked.push_back(prompter.Messages()[k].text);
    }
    ASSERT_EQ(asked.size(), 3u);  // the confirmation, then the two next media
    EXPECT_EQ(asked[1], "次のファイルは「" + dir / "a.d02" + "」になります");
    EXPECT_EQ(asked[2], "次のファイルは「" + dir / "a.d03" + "」になります");
    EXPECT_EQ(std::filesystem::file_size(dir / "a.par2") == 10, c.setThere);
  }
}

// Pieces that break their prediction on a fixed drive are read back once
// the divide is over, as when they were not known beforehand.
TEST_F(ExecuteJobs, PiecesThatBreakTheirPredictionAreReadBackOnAFixedDrive) {
  WriteFileBytes(dir / "a.bin", RandomBytes(3000000, 6));
  Choose(dir / "a.bin");
  settings.Recovery = true;
  settings.RecoveryPieces = 1;
  settings.EndMessage = false;
  volumes.SetFree(1ULL << 40);
  realWorker = true;
  bool tapped = false;
  beforeRealWorker = [&](const WorkerContext& c) {
    tapped = c.recovery != nullptr;
    if (tapped) {
      c.recovery->PieceBegun();
      c.recovery->WrittenDirectly(std::as_bytes(std::span("other bytes")));
      c.recovery->PieceEnded();
    }
    return WorkerContext{c.settings, c.job, c.prompter, c.volumes, c.stubs, nullptr};
  };
  prompter.SetFallback(Answer::kYes);
  planner.Execute();
  FollowJob();
  EXPECT_TRUE(tapped);
  EXPECT_EQ(planner.Texts().information, "分割が終了しました\r\n修復データを作成しました：\r\n" +
                                             dir / "a.par2" + "\r\n" + dir / "a.vol0+1.par2");
}

}  // namespace
}  // namespace kv::test
