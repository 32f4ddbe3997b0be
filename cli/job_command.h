#pragma once
// Runs one of kolvanto-cli's job commands (info, divide, restore) over the
// job planner and the real workers; returns the exit status.

#include "cli/job_options.h"

namespace kv {

// Exit statuses of the command line.
inline constexpr int kExitDone = 0;
inline constexpr int kExitCancelled = 1;
inline constexpr int kExitRefused = 2;
inline constexpr int kExitDoneWithError = 3;

int RunJobCommand(Command command, const Options& o);

}  // namespace kv
