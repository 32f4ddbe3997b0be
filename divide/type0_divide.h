#pragma once
// The Type0 divide: raw slices cut at the divide size, or at the first line
// end or user string after it.

namespace kv {

struct DivideSettings;
class JobState;
class Prompter;
class Volumes;

// Runs the whole job on the calling (worker) thread. `settings` is the
// snapshot taken when the job started. Ends every path with JobMessage set
// and RunState = 0; never throws.
void RunType0Divide(const DivideSettings& settings, JobState& job, Prompter& prompter,
                    Volumes& volumes);

}  // namespace kv
