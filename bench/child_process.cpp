#include "bench/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace kv::bench {
namespace {

// Adds the three standard streams; the log is appended to so that a failed
// job's words survive the runs after it. Returns 0 or the error number.
int AddStreams(posix_spawn_file_actions_t& actions, const std::string& stdoutPath,
               const std::string& logPath) {
  const int logFlags = O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW;
  const int outFlags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW;
  int error = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (error == 0) {
    error = posix_spawn_file_actions_addopen(&actions, 2, logPath.c_str(), logFlags, 0600);
  }
  if (error == 0) {
    error = stdoutPath.empty()
                ? posix_spawn_file_actions_adddup2(&actions, 2, 1)
                : posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), outFlags, 0600);
  }
  return error;
}

}  // namespace

ChildRun RunChild(const std::vector<std::string>& argv, const std::string& stdoutPath,
                  const std::string& logPath) {
  ChildRun run;
  std::vector<char*> args;
  for (const auto& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) {
    return run;
  }
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  int failure = AddStreams(actions, stdoutPath, logPath);
  if (failure == 0) {
    failure = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  }
  posix_spawn_file_actions_destroy(&actions);
  run.started = failure == 0;
  if (!run.started) {
    std::fprintf(stderr, "cannot start %s: %s\n", args[0], std::strerror(failure));
    return run;
  }
  int status = 0;
  pid_t waited = -1;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.exitStatus = waited == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace kv::bench
