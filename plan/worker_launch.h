#pragma once
// Which worker a job runs and what it is given. The job planner runs the
// worker on its own thread through a WorkerEntry, so tests can put a double
// in place of the real engines.

#include <functional>

namespace kv {

struct DivideSettings;
class JobState;
class Prompter;
class Volumes;
class StubDataFile;
class RecoveryTap;

enum class WorkerKind { kType0Divide, kTypedDivide, kType0Restore, kTypedRestore };

struct WorkerContext {
  const DivideSettings& settings;  // the snapshot taken when the job started
  JobState& job;
  Prompter& prompter;
  Volumes& volumes;
  StubDataFile& stubs;
  // The recovery data a divide computes while it writes its pieces; null when none.
  RecoveryTap* recovery = nullptr;
};

// Runs the whole job on the calling thread; must end with RunState = 0.
using WorkerEntry = std::function<void(WorkerKind, const WorkerContext&)>;

}  // namespace kv
