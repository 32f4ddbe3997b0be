#include "platform/executable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

namespace kv {
namespace {

// The umask as the kernel reports it; reading it with umask() would briefly
// change it under the other threads of the program.
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8) & 0777);
    }
  }
  return 022;  // the usual mask, when the kernel does not say
}

}  // namespace

Status MakeExecutable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return LastFailure(path);
  }
  struct stat st {};
  bool done = false;
  if (::fstat(fd, &st) == 0) {
    if (S_ISREG(st.st_mode)) {
      done = ::fchmod(fd, 0777 & ~CurrentUmask()) == 0;
    } else {
      errno = EINVAL;
    }
  }
  const Status made = StatusOf(done, path);  // the reason, not the close's
  ::close(fd);
  return made;
}

}  // namespace kv
