#pragma once
// The typed divide: Type1, Type2 and Type3 series, and self-restoring series
// whose first piece begins with a stub from the stub data file.

namespace kv {

struct DivideSettings;
class JobState;
class Prompter;
class Volumes;
class StubDataFile;
class RecoveryTap;

// Runs the whole job on the calling (worker) thread. `settings` is the
// snapshot taken when the job started (DivideType already 2 or 3 for a
// self-restoring job). Ends every path with JobMessage set and RunState = 0.
// With `recovery`, every byte of every piece goes through a buffer and is
// shown to it, and it writes its recovery files once the last piece is closed.
void RunTypedDivide(const DivideSettings& settings, JobState& job, Prompter& prompter,
                    Volumes& volumes, StubDataFile& stubs, RecoveryTap* recovery = nullptr);

}  // namespace kv
