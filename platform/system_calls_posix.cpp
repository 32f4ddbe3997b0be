#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/system_calls.h"

namespace kv {

int NotRegularError(const FileFacts& facts) {
  if (S_ISDIR(facts.typeBits)) {
    return EISDIR;
  }
  return S_ISFIFO(facts.typeBits) || S_ISSOCK(facts.typeBits) ? ESPIPE : ENOTSUP;
}

int SystemCalls::Open(const char* path, bool forWriting, bool nonBlocking) {
  const int wait = nonBlocking ? O_NONBLOCK : 0;
  return forWriting
             ? ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | wait, 0666)
             : ::open(path, O_RDONLY | O_CLOEXEC | wait);
}

std::int64_t SystemCalls::Read(int fd, void* out, std::size_t count) {
  return ::read(fd, out, count);
}

std::int64_t SystemCalls::Write(int fd, const void* data, std::size_t count) {
  return ::write(fd, data, count);
}

int SystemCalls::Truncate(int fd, std::int64_t length) {
  return ::ftruncate(fd, static_cast<off_t>(length));
}

std::int64_t SystemCalls::Seek(int fd, std::int64_t position) {
  return ::lseek(fd, static_cast<off_t>(position), SEEK_SET);
}

int SystemCalls::Stat(int fd, FileFacts& facts) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    return -1;
  }
  facts.size = static_cast<std::int64_t>(st.st_size);
  facts.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  facts.regular = S_ISREG(st.st_mode);
  facts.typeBits = static_cast<std::uint32_t>(st.st_mode & S_IFMT);
  facts.device = static_cast<std::uint64_t>(st.st_dev);
  facts.inode = static_cast<std::uint64_t>(st.st_ino);
  return 0;
}

int SystemCalls::MakeBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags < 0 ? -1 : ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

int SystemCalls::Fsync(int fd) {
  return ::fsync(fd);
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

int SystemCalls::Close(int fd) {
  return ::close(fd);
}

int SystemCalls::Rename(const char* from, const char* to) {
  return ::rename(from, to);
}

}  // namespace kv
