#pragma once
// The typed restore: rebuilds a file from a Type1, Type2 or Type3 series
// (self-restoring ones included), checking identity and CRC-16 per piece.

namespace kv {

struct DivideSettings;
class JobState;
class Prompter;

// Runs the whole job on the calling (worker) thread. Reads the first
// header's findings that the source analysis left in `job`. RunState = 0 at
// the end of every path.
void RunTypedRestore(const DivideSettings& settings, JobState& job, Prompter& prompter);

}  // namespace kv
