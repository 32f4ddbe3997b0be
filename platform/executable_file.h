#pragma once
// Letting a file run as a program: the first piece of a self-restoring series
// is started as ./report.exe by whoever receives it.

#include <string>

namespace kv {

// Gives the regular file at `path` the mode 0777 less the process's umask, as
// a newly created program gets it. Never follows a link; false when the file
// cannot be changed (errno kept).
bool MakeExecutable(const std::string& path);

}  // namespace kv
