#pragma once
// Letting a file run as a program: the first piece of a self-restoring series
// is started as ./report.exe by whoever receives it.

#include <string>

#include "core/result.h"

namespace kv {

// Gives the regular file at `path` the mode 0777 less the process's umask, as
// a newly created program gets it. Never follows a link; the failure when
// the file cannot be changed (EINVAL for a file that is not a regular one).
Status MakeExecutable(const std::string& path);

}  // namespace kv
