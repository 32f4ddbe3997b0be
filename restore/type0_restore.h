#pragma once
// The Type0 restore: concatenates raw pieces in the order of their numbers,
// optionally dropping leading bytes from each.

namespace kv {

struct DivideSettings;
class JobState;
class Prompter;

// Runs the whole job on the calling (worker) thread; RunState = 0 at the end of every path.
void RunType0Restore(const DivideSettings& settings, JobState& job, Prompter& prompter);

}  // namespace kv
