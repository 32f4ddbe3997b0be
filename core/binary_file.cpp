#include "core/binary_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kv {

namespace {

#ifdef _WIN32
int OpenFile(const std::string& path, BinaryFile::Mode mode, BinaryFile::Accept) {
  return mode == BinaryFile::Mode::kRead
             ? _open(path.c_str(), _O_RDONLY | _O_BINARY)
             : _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY,
                     _S_IREAD | _S_IWRITE);
}
// At most 1 GiB per call: the count is an int on this platform.
constexpr std::size_t kMaxCall = std::size_t{1} << 30;
std::int64_t ReadSome(int fd, std::byte* out, std::size_t n) {
  return _read(fd, out, static_cast<unsigned>(std::min(n, kMaxCall)));
}
std::int64_t WriteSome(int fd, const std::byte* data, std::size_t n) {
  return _write(fd, data, static_cast<unsigned>(std::min(n, kMaxCall)));
}
bool SeekTo(int fd, std::int64_t pos) {
  return _lseeki64(fd, pos, SEEK_SET) == pos;
}
std::int64_t FileSize(int fd) {
  struct _stat64 st {};
  return _fstat64(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}
int CloseFile(int fd) {
  return _close(fd);
}
bool KeepOpened(int, BinaryFile::Accept) {
  return true;
}
#else
// A regular file only is opened without waiting: a pipe without its other
// end would block the open, and a device is no piece.
int OpenFile(const std::string& path, BinaryFile::Mode mode, BinaryFile::Accept accept) {
  const int wait = accept == BinaryFile::Accept::kRegularFile ? O_NONBLOCK : 0;
  return mode == BinaryFile::Mode::kRead
             ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC | wait)
             : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | wait, 0666);
}
// True when the opened descriptor is of a kind the caller accepts; the
// non-blocking open of a regular file is then made blocking again.
bool KeepOpened(int fd, BinaryFile::Accept accept) {
  if (accept == BinaryFile::Accept::kAnyFile) {
    return true;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    return false;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}
std::int64_t ReadSome(int fd, std::byte* out, std::size_t n) {
  return ::read(fd, out, n);
}
std::int64_t WriteSome(int fd, const std::byte* data, std::size_t n) {
  return ::write(fd, data, n);
}
bool SeekTo(int fd, std::int64_t pos) {
  return ::lseek(fd, static_cast<off_t>(pos), SEEK_SET) == static_cast<off_t>(pos);
}
std::int64_t FileSize(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}
int CloseFile(int fd) {
  return ::close(fd);
}
#endif

// One read that is retried when a signal cut it short: the count read, 0 at
// the end, -1 on an error.
std::int64_t ReadOnce(int fd, std::byte* out, std::size_t n) {
  for (;;) {
    const std::int64_t got = ReadSome(fd, out, n);
    if (got >= 0 || errno != EINTR) {
      return got;
    }
  }
}

bool WriteFull(int fd, const std::byte* data, std::size_t n) {
  while (n > 0) {
    const std::int64_t put = WriteSome(fd, data, n);
    if (put < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (put == 0) {
      errno = ENOSPC;  // nothing taken and no reason given: the medium is full
      return false;
    }
    data += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

std::unique_ptr<BinaryFile> BinaryFile::Open(const std::string& path, Mode mode, Accept accept) {
  const int fd = OpenFile(path, mode, accept);
  if (fd < 0) {
    return nullptr;
  }
  if (!KeepOpened(fd, accept)) {
    CloseFile(fd);
    return nullptr;
  }
  return std::unique_ptr<BinaryFile>(new BinaryFile(fd, mode, path));
}

BinaryFile::BinaryFile(int descriptor, Mode mode, std::string path)
    : fd_(descriptor), mode_(mode), path_(std::move(path)), buffer_(new std::byte[kBufferSize]) {}

BinaryFile::~BinaryFile() {
  Close();
}

bool BinaryFile::Failed() {
  if (error_ == 0) {
    error_ = errno;
  }
  return false;
}

std::int64_t BinaryFile::Read(std::span<std::byte> out) {
  return ReadAtLeast(out, out.size());
}

std::int64_t BinaryFile::ReadAtLeast(std::span<std::byte> out, std::size_t atLeast) {
  if (fd_ < 0 || mode_ != Mode::kRead) {
    return -1;
  }
  atLeast = std::min(atLeast, out.size());
  std::size_t total = 0;
  while (total < atLeast) {
    if (begin_ < end_) {
      const std::size_t take = std::min(out.size() - total, end_ - begin_);
      std::memcpy(out.data() + total, buffer_.get() + begin_, take);
      begin_ += take;
      total += take;
      continue;
    }
    const std::size_t rest = out.size() - total;
    const bool direct = rest >= kDirectSize;
    const std::int64_t got = direct ? ReadOnce(fd_, out.data() + total, rest)
                                    : ReadOnce(fd_, buffer_.get(), kBufferSize);
    if (got < 0) {
      Failed();
      return -1;
    }
    if (got == 0) {
      break;
    }
    filePos_ += got;
    if (direct) {
      // The buffer no longer holds the bytes just before the position.
      begin_ = end_ = 0;
      total += static_cast<std::size_t>(got);
    } else {
      begin_ = 0;
      end_ = static_cast<std::size_t>(got);
    }
  }
  return static_cast<std::int64_t>(total);
}

bool BinaryFile::Seek(std::int64_t position) {
  if (fd_ < 0 || position < 0) {
    return false;
  }
  if (mode_ == Mode::kRead) {
    // A position inside the buffered bytes needs no system call.
    const std::int64_t bufferStart = filePos_ - static_cast<std::int64_t>(end_);
    if (position >= bufferStart && position <= filePos_) {
      begin_ = static_cast<std::size_t>(position - bufferStart);
      return true;
    }
    begin_ = end_ = 0;
  } else if (!Flush()) {
    return false;
  }
  if (!SeekTo(fd_, position)) {
    return Failed();
  }
  filePos_ = position;
  return true;
}

std::int64_t BinaryFile::Position() const {
  if (fd_ < 0) {
    return -1;
  }
  return mode_ == Mode::kRead ? filePos_ - static_cast<std::int64_t>(end_ - begin_)
                              : filePos_ + static_cast<std::int64_t>(end_);
}

std::int64_t BinaryFile::Size() const {
  if (fd_ < 0) {
    return -1;
  }
  const std::int64_t onDisk = FileSize(fd_);
  if (onDisk < 0) {
    return -1;
  }
  // Bytes still in the buffer belong to the file already.
  return mode_ == Mode::kRead ? onDisk : std::max(onDisk, Position());
}

bool BinaryFile::Flush() {
  if (end_ == 0) {
    return !failed_;
  }
  const bool ok = !failed_ && WriteFull(fd_, buffer_.get(), end_);
  if (ok) {
    filePos_ += static_cast<std::int64_t>(end_);
  } else if (!failed_) {
    Failed();
  }
  end_ = 0;
  failed_ = failed_ || !ok;
  return ok;
}

bool BinaryFile::Write(std::span<const std::byte> data) {
  if (fd_ < 0 || mode_ != Mode::kCreateWrite || failed_) {
    return false;
  }
  if (data.size() >= kDirectSize) {
    if (!Flush()) {
      return false;
    }
    if (!WriteFull(fd_, data.data(), data.size())) {
      failed_ = true;
      return Failed();
    }
    filePos_ += static_cast<std::int64_t>(data.size());
    return true;
  }
  if (data.size() > kBufferSize - end_ && !Flush()) {
    return false;
  }
  std::memcpy(buffer_.get() + end_, data.data(), data.size());
  end_ += data.size();
  return true;
}

bool BinaryFile::Close() {
  if (fd_ < 0) {
    return true;
  }
  const bool flushed = mode_ == Mode::kRead || Flush();
  const bool closed = CloseFile(fd_) == 0 || Failed();
  fd_ = -1;
  return flushed && closed;
}

}  // namespace kv
