#pragma once
// Runs a program as a child process, the way a user's shell would start it,
// without a shell in between: standard input from /dev/null, standard output
// to a chosen file, standard error to a log.

#include <string>
#include <vector>

namespace kv::bench {

struct ChildRun {
  bool started = false;
  int exitStatus = -1;  // -1 when killed by a signal
  double seconds = 0;   // from the start to the child's end
};

// `argv[0]` is looked up in PATH when it holds no "/". `stdoutPath` empty
// sends standard output to the log as well.
ChildRun RunChild(const std::vector<std::string>& argv, const std::string& stdoutPath,
                  const std::string& logPath);

}  // namespace kv::bench
