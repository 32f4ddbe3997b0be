#pragma once
// The Type0 divide: raw slices cut at the divide size, or at the first line
// end or user string after it.

namespace kv {

struct DivideSettings;
class JobState;
class Prompter;
class Volumes;
class RecoveryTap;

// Runs the whole job on the calling (worker) thread. `settings` is the
// snapshot taken when the job started. Ends every path with JobMessage set
// and RunState = 0; never throws. With `recovery`, every byte of every piece
// goes through a buffer and is shown to it, and it writes its recovery files
// once the last piece is closed.
void RunType0Divide(const DivideSettings& settings, JobState& job, Prompter& prompter,
                    Volumes& volumes, RecoveryTap* recovery = nullptr);

}  // namespace kv
