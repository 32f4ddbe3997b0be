#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_kind_posix.h"
#include "platform/system_calls.h"

namespace kv {

FileHandle SystemCalls::Open(const char* path, bool forWriting, bool nonBlocking) {
  const int wait = nonBlocking ? O_NONBLOCK : 0;
  return FileHandle(
      forWriting ? ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | wait, 0666)
                 : ::open(path, O_RDONLY | O_CLOEXEC | wait));
}

std::int64_t SystemCalls::Read(FileHandle file, void* out, std::size_t count) {
  return ::read(file.Native(), out, count);
}

std::int64_t SystemCalls::Write(FileHandle file, const void* data, std::size_t count) {
  return ::write(file.Native(), data, count);
}

std::int64_t SystemCalls::ReadAt(FileHandle file, void* out, std::size_t count,
                                 std::int64_t position) {
  return ::pread(file.Native(), out, count, static_cast<off_t>(position));
}

std::int64_t SystemCalls::WriteAt(FileHandle file, const void* data, std::size_t count,
                                  std::int64_t position) {
  return ::pwrite(file.Native(), data, count, static_cast<off_t>(position));
}

int SystemCalls::Truncate(FileHandle file, std::int64_t length) {
  return ::ftruncate(file.Native(), static_cast<off_t>(length));
}

std::int64_t SystemCalls::Seek(FileHandle file, std::int64_t position) {
  return ::lseek(file.Native(), static_cast<off_t>(position), SEEK_SET);
}

int SystemCalls::Stat(FileHandle file, FileFacts& facts) {
  struct stat st {};
  if (::fstat(file.Native(), &st) != 0) {
    return -1;
  }
  facts.size = static_cast<std::int64_t>(st.st_size);
  facts.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  facts.kind = FileKindOfMode(st.st_mode);
  facts.device = static_cast<std::uint64_t>(st.st_dev);
  facts.inode = static_cast<std::uint64_t>(st.st_ino);
  return 0;
}

int SystemCalls::MakeBlocking(FileHandle file) {
  const int flags = ::fcntl(file.Native(), F_GETFL);
  return flags < 0 ? -1 : ::fcntl(file.Native(), F_SETFL, flags & ~O_NONBLOCK);
}

int SystemCalls::Fsync(FileHandle file) {
  return ::fsync(file.Native());
}

int SystemCalls::FsyncFolder(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return -1;
  }
  const int rc = ::fsync(fd);
  const int error = errno;  // the reason, not the close's
  ::close(fd);
  errno = error;
  return rc;
}

int SystemCalls::Close(FileHandle file) {
  return ::close(file.Native());
}

int SystemCalls::Rename(const char* from, const char* to) {
  return ::rename(from, to);
}

}  // namespace kv
