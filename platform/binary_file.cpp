#include "platform/binary_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/guarded_look.h"
#include "platform/retry_on_interrupt.h"
#include "platform/system_calls.h"

namespace kv {

namespace {

// One read that is retried when a signal cut it short: the count read, 0 at
// the end, -1 on an error.
std::int64_t ReadOnce(FileHandle file, std::byte* out, std::size_t n) {
  return RetryOnInterrupt([&] { return ActiveSystemCalls().Read(file, out, n); });
}

// The most one write call is given. Measured on ext4: a run of 2 or 4 MiB
// writes into new pages of the cache can take several times as long as the
// same bytes in megabyte writes, which never did.
constexpr std::size_t kLargestWrite = 1024 * 1024;

bool WriteFull(FileHandle file, const std::byte* data, std::size_t n) {
  while (n > 0) {
    const std::int64_t put = RetryOnInterrupt(
        [&] { return ActiveSystemCalls().Write(file, data, std::min(n, kLargestWrite)); });
    if (put < 0) {
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

// The kernel cannot copy between these two files; read and write can.
bool KernelRefuses(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
         error == EBADF;
}

// Errors of the written file or its medium rather than of the file read.
bool WritingFailed(int error) {
  return error == ENOSPC || error == EDQUOT || error == EFBIG || error == EROFS || error == EPERM;
}

}  // namespace

// A regular file only, never with a wait (a job could not be cancelled).
Result<std::unique_ptr<BinaryFile>> BinaryFile::Open(const std::string& path, Mode mode) {
  const Result<RegularFile> opened = OpenRegularFile(path, mode == Mode::kCreateWrite);
  if (!opened) {
    return opened.Error();
  }
  return std::unique_ptr<BinaryFile>(new BinaryFile(opened->handle, mode, path));
}

std::unique_ptr<BinaryFile> BinaryFile::WriteTo(FileHandle open, std::string name) {
  return std::unique_ptr<BinaryFile>(new BinaryFile(open, Mode::kCreateWrite, std::move(name)));
}

std::unique_ptr<BinaryFile> BinaryFile::ReadFrom(FileHandle open, std::string name) {
  std::unique_ptr<BinaryFile> file(new BinaryFile(open, Mode::kRead, std::move(name)));
  // Neither the kernel's copy nor a mapping can take bytes from a stream.
  file->stream_ = file->copyRefused_ = file->mapRefused_ = true;
  return file;
}

BinaryFile::BinaryFile(FileHandle file, Mode mode, std::string path)
    : file_(file), mode_(mode), path_(std::move(path)) {}

std::byte* BinaryFile::Buffer(std::size_t bytes) {
  // A file moved in whole blocks needs none, a header or a trailer a page;
  // only small reads or writes that go on past it take the whole buffer.
  if (capacity_ < bytes) {
    const std::size_t grown = bytes <= kPageSize ? kPageSize : kBufferSize;
    PageBuffer larger = NewPageBuffer(grown);
    if (end_ > 0) {
      std::memcpy(larger.get(), buffer_.get(), end_);
    }
    buffer_ = std::move(larger);
    capacity_ = grown;
  }
  return buffer_.get();
}

BinaryFile::~BinaryFile() {
  // Closing here is silent: a caller that needs the outcome closed first.
  static_cast<void>(Close());
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
  if (!file_.Valid() || mode_ != Mode::kRead) {
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
    // A fill after a large read, or the first, is a page: enough for the
    // header a piece starts with, or the checksum behind its body. Small
    // reads that go on past it fill the whole buffer.
    const std::size_t fill =
        buffered_ || capacity_ == kBufferSize || stream_ ? kBufferSize : kPageSize;
    // A stream cannot go back by lseek: the last bytes read stay in front.
    const std::size_t kept = direct || !stream_ ? 0 : std::min(end_, kPageSize);
    if (kept > 0) {
      std::memmove(buffer_.get(), buffer_.get() + end_ - kept, kept);
    }
    const std::int64_t got = direct ? ReadOnce(file_, out.data() + total, rest)
                                    : ReadOnce(file_, Buffer(fill) + kept, fill - kept);
    if (got < 0) {
      Failed();
      return -1;
    }
    if (got == 0) {
      break;
    }
    filePos_ += got;
    buffered_ = !direct;
    if (direct) {
      // The buffer no longer holds the bytes just before the position.
      begin_ = end_ = 0;
      total += static_cast<std::size_t>(got);
    } else {
      begin_ = kept;
      end_ = kept + static_cast<std::size_t>(got);
    }
  }
  return static_cast<std::int64_t>(total);
}

bool BinaryFile::Seek(std::int64_t position) {
  if (!file_.Valid() || position < 0) {
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
  if (ActiveSystemCalls().Seek(file_, position) != position) {
    return Failed();
  }
  filePos_ = position;
  return true;
}

std::int64_t BinaryFile::Position() const {
  if (!file_.Valid()) {
    return -1;
  }
  return mode_ == Mode::kRead ? filePos_ - static_cast<std::int64_t>(end_ - begin_)
                              : filePos_ + static_cast<std::int64_t>(end_);
}

Result<FileFacts> BinaryFile::Facts() const {
  if (!file_.Valid()) {
    return Failure{SystemError(EBADF), path_};
  }
  FileFacts facts;
  if (ActiveSystemCalls().Stat(file_, facts) != 0) {
    return LastFailure(path_);
  }
  return facts;
}

std::int64_t BinaryFile::Size() const {
  if (!file_.Valid()) {
    return -1;
  }
  FileFacts facts;
  if (ActiveSystemCalls().Stat(file_, facts) != 0) {
    return -1;
  }
  const std::int64_t onDisk = facts.size;
  // Bytes still in the buffer belong to the file already.
  return mode_ == Mode::kRead ? onDisk : std::max(onDisk, Position());
}

bool BinaryFile::Flush() {
  if (end_ == 0) {
    return !failed_;
  }
  const bool ok = !failed_ && WriteFull(file_, buffer_.get(), end_);
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
  if (!file_.Valid() || mode_ != Mode::kCreateWrite || failed_) {
    return false;
  }
  if (data.size() >= kDirectSize) {
    if (!Flush()) {
      return false;
    }
    if (!WriteFull(file_, data.data(), data.size())) {
      failed_ = true;
      return Failed();
    }
    filePos_ += static_cast<std::int64_t>(data.size());
    return true;
  }
  if (data.empty()) {
    return true;
  }
  if (data.size() > kBufferSize - end_ && !Flush()) {
    return false;
  }
  std::memcpy(Buffer(end_ + data.size()) + end_, data.data(), data.size());
  end_ += data.size();
  return true;
}

bool BinaryFile::DropBuffer() {
  if (begin_ == end_) {
    begin_ = end_ = 0;
    return true;
  }
  const std::int64_t position = Position();
  if (ActiveSystemCalls().Seek(file_, position) != position) {
    return false;
  }
  filePos_ = position;
  begin_ = end_ = 0;
  return true;
}

std::int64_t BinaryFile::CopyTo(BinaryFile& out, std::size_t count) {
  if (!file_.Valid() || mode_ != Mode::kRead || copyRefused_ || !out.file_.Valid() ||
      out.mode_ != Mode::kCreateWrite) {
    return kCopyRefused;
  }
  // The bytes written before go first, and the copy starts where reading stands.
  if (!out.Flush()) {
    return -1;
  }
  if (!DropBuffer()) {
    copyRefused_ = true;
    return kCopyRefused;
  }
  const std::int64_t moved =
      RetryOnInterrupt([&] { return ActiveSystemCalls().CopyFileRange(file_, out.file_, count); });
  if (moved >= 0) {
    filePos_ += moved;
    out.filePos_ += moved;
    return moved;
  }
  // An input/output error could be either file's: read and write take
  // the bytes over and tell which one failed.
  if (KernelRefuses(errno) || errno == EIO) {
    copyRefused_ = true;
    return kCopyRefused;
  }
  if (WritingFailed(errno)) {
    out.failed_ = true;
    out.Failed();
  } else {
    Failed();
  }
  return -1;
}

Status BinaryFile::CutTo(std::int64_t length) {
  if (!file_.Valid() || mode_ != Mode::kCreateWrite || !Flush()) {
    return Fault();
  }
  SystemCalls& sys = ActiveSystemCalls();
  if (sys.Truncate(file_, length) != 0 || sys.Seek(file_, length) != length) {
    failed_ = true;
    Failed();
    return Fault();
  }
  filePos_ = length;
  return {};
}

bool BinaryFile::LookAhead(std::int64_t length, const Look& look) {
  const std::int64_t position = Position();
  // Bytes past the end would be seen as zeros up to the last page's end:
  // only what the file holds is looked at.
  if (!file_.Valid() || mode_ != Mode::kRead || mapRefused_ || position < 0 || length <= 0 ||
      Size() - position < length) {
    return false;
  }
  const MappedLook seen = LookAtMapping(file_, position, static_cast<std::size_t>(length), look);
  if (seen == MappedLook::kRefused) {
    mapRefused_ = true;
    return false;
  }
  return seen == MappedLook::kWhole && Seek(position + length);
}

Status BinaryFile::Sync() {
  if (!file_.Valid() || mode_ != Mode::kCreateWrite || !Flush()) {
    return Fault();
  }
  if (RetryOnInterrupt([&] { return ActiveSystemCalls().Fsync(file_); }) != 0) {
    Failed();
    return Fault();
  }
  return {};
}

Status BinaryFile::Close() {
  if (!file_.Valid()) {
    return {};
  }
  const bool flushed = mode_ == Mode::kRead || Flush();
  // An interrupted close has released the descriptor all the same.
  const bool closed = ActiveSystemCalls().Close(file_) == 0 || errno == EINTR || Failed();
  file_ = FileHandle();
  if (flushed && closed) {
    return {};
  }
  return Fault();
}

}  // namespace kv
