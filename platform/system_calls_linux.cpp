#include <fcntl.h>
#include <stdio.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/system_calls.h"

namespace kv {

std::int64_t SystemCalls::CopyFileRange(FileHandle in, FileHandle out, std::size_t count) {
  return ::copy_file_range(in.Native(), nullptr, out.Native(), nullptr, count, 0);
}

FileHandle SystemCalls::OpenTemporary(const char* folder) {
  int fd = ::open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  // A file system without unnamed files: a name of this process's own, taken away at once.
  for (int attempt = 0;
       fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EEXIST) && attempt < 100;
       ++attempt) {
    const std::string path = std::string(folder) + "/.kolvanto-" + std::to_string(::getpid()) +
                             "-" + std::to_string(attempt);
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::unlink(path.c_str());
    }
  }
  return FileHandle(fd);
}

int SystemCalls::RenameNoReplace(const char* from, const char* to) {
  return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

int SystemCalls::FileSystemType(const char* path, std::uint64_t& type) {
  struct statfs st {};
  if (::statfs(path, &st) != 0) {
    return -1;
  }
  type = static_cast<std::uint64_t>(st.f_type);
  return 0;
}

}  // namespace kv
