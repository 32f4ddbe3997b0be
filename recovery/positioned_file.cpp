#include "recovery/positioned_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/retry_on_interrupt.h"
#include "platform/system_calls.h"

namespace kv {

bool MemoryRange::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (offset > bytes_.size() || out.size() > bytes_.size() - offset) {
    return false;
  }
  std::memcpy(out.data(), bytes_.data() + offset, out.size());
  return true;
}

PositionedFile::PositionedFile(int fd, std::uint64_t size, std::string path)
    : fd_(fd), size_(size), path_(std::move(path)) {}

PositionedFile::~PositionedFile() {
  if (fd_ >= 0) {
    ActiveSystemCalls().Close(FileHandle(fd_));
  }
}

std::unique_ptr<PositionedFile> PositionedFile::OpenForReading(const std::string& path) {
  SystemCalls& calls = ActiveSystemCalls();
  const FileHandle file = calls.Open(path.c_str(), false, true);
  if (!file.Valid()) {
    return nullptr;
  }
  FileFacts facts;
  const bool regular = calls.Stat(file, facts) == 0 && facts.kind == FileKind::kRegular;
  if (!regular || calls.MakeBlocking(file) != 0) {
    const int error = regular ? errno : EISDIR;
    calls.Close(file);
    errno = error;
    return nullptr;
  }
  return std::unique_ptr<PositionedFile>(
      new PositionedFile(file.Native(), static_cast<std::uint64_t>(facts.size), path));
}

std::unique_ptr<PositionedFile> PositionedFile::Create(const std::string& path) {
  const FileHandle file = ActiveSystemCalls().Open(path.c_str(), true, false);
  if (!file.Valid()) {
    return nullptr;
  }
  return std::unique_ptr<PositionedFile>(new PositionedFile(file.Native(), 0, path));
}

std::unique_ptr<PositionedFile> PositionedFile::CreateTemporary(const std::string& folder) {
  const std::string where = folder.empty() ? "." : folder;
  int fd = ::open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  std::string path = where + "/(temporary)";
  for (int attempt = 0;
       fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EEXIST) && attempt < 100;
       ++attempt) {
    path = where + "/.kolvanto-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::unlink(path.c_str());
    }
  }
  if (fd < 0) {
    return nullptr;
  }
  return std::unique_ptr<PositionedFile>(new PositionedFile(fd, 0, path));
}

bool PositionedFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (offset > size_ || out.size() > size_ - offset) {
    return false;
  }
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = RetryOnInterrupt([&] {
      return ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    });
    if (n <= 0) {
      error_ = n < 0 ? errno : EIO;  // a file that shrank reads short
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool PositionedFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = RetryOnInterrupt([&] {
      return ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                      static_cast<off_t>(offset + done));
    });
    if (n <= 0) {
      error_ = n < 0 ? errno : ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  if (offset + done > size_) {
    size_ = offset + done;
  }
  return true;
}

bool PositionedFile::Finish() {
  if (fd_ < 0) {
    return error_ == 0;
  }
  SystemCalls& calls = ActiveSystemCalls();
  const bool synced = calls.Fsync(FileHandle(fd_)) == 0;
  if (!synced) {
    error_ = errno;
  }
  const bool closed = calls.Close(FileHandle(fd_)) == 0;
  if (!closed && synced) {
    error_ = errno;
  }
  fd_ = -1;
  return synced && closed;
}

}  // namespace kv
