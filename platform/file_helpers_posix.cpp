#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "core/packed_time.h"
#include "platform/file_helpers.h"
#include "platform/retry_on_interrupt.h"
#include "platform/system_calls.h"

namespace kv {

Status SetModifiedTimeUtc(const std::string& path, int year, int month, int day, int hour,
                          int minute, int second) {
  const std::optional<std::int64_t> when =
      UtcToUnixSeconds(UtcFields{year, month, day, hour, minute, second});
  if (year > 9999 || !when) {
    return Failure{SystemError(EINVAL), path};
  }
  struct timespec times[2]{};
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<std::time_t>(*when);
  times[1].tv_nsec = 0;
  return StatusOf(utimensat(AT_FDCWD, path.c_str(), times, 0) == 0, path);
}

std::optional<std::int64_t> ModifiedTimeUtc(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(st.st_mtim.tv_sec);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) {
    return false;
  }
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::int64_t FileSize(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    return -1;
  }
  return static_cast<std::int64_t>(st.st_size);
}

Status IsReadable(const std::string& path) {
  return StatusOf(::access(path.c_str(), R_OK) == 0, path);
}

Status SyncFolder(const std::string& folder) {
  return StatusOf(
      RetryOnInterrupt([&] { return ActiveSystemCalls().FsyncFolder(folder.c_str()); }) == 0,
      folder);
}

}  // namespace kv
