#include "tests/faults/faulty_system_calls.h"

#include <algorithm>
#include <cerrno>

namespace kv::test {

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return !end.empty() && text.size() >= end.size() &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

int Fail(int error) {
  errno = error;
  return -1;
}

}  // namespace

bool FaultySystemCalls::Targeted(int fd) const {
  return targeted_.count(fd) != 0;
}

bool FaultySystemCalls::Interrupt(int fd) {
  if (!faults_.interruptEveryCall) {
    return false;
  }
  bool& pass = passNext_[fd];
  pass = !pass;
  if (!pass) {
    return false;
  }
  ++interrupted_;
  errno = EINTR;
  return true;
}

int FaultySystemCalls::Interrupted() const {
  std::lock_guard lock(mutex_);
  return interrupted_;
}

int FaultySystemCalls::Open(const char* path, bool forWriting, bool nonBlocking) {
  std::lock_guard lock(mutex_);
  if (Interrupt(-1)) {
    return -1;
  }
  const int fd = SystemCalls::Open(path, forWriting, nonBlocking);
  if (fd >= 0) {
    names_[fd] = path;
  }
  if (fd >= 0 && EndsWith(path, faults_.target)) {
    targeted_.insert(fd);
  }
  return fd;
}

std::int64_t FaultySystemCalls::Read(int fd, void* out, std::size_t count) {
  std::lock_guard lock(mutex_);
  if (Interrupt(fd)) {
    return -1;
  }
  readFrom_ = readFrom_ || Targeted(fd);
  if (!Targeted(fd) || faults_.readFailsAt < 0) {
    return SystemCalls::Read(fd, out, count);
  }
  const std::int64_t left = faults_.readFailsAt - read_;
  if (left <= 0) {
    return Fail(EIO);
  }
  const std::int64_t got =
      SystemCalls::Read(fd, out, std::min(count, static_cast<std::size_t>(left)));
  read_ += std::max<std::int64_t>(got, 0);
  return got;
}

std::int64_t FaultySystemCalls::Write(int fd, const void* data, std::size_t count) {
  std::lock_guard lock(mutex_);
  if (Interrupt(fd)) {
    return -1;
  }
  if (!Targeted(fd)) {
    return SystemCalls::Write(fd, data, count);
  }
  if (faults_.shortWrites && count > 1) {
    count /= 2;
  }
  if (faults_.writeFullAt >= 0) {
    const std::int64_t room = faults_.writeFullAt - written_;
    if (room <= 0) {
      return Fail(ENOSPC);
    }
    count = std::min(count, static_cast<std::size_t>(room));
  }
  const std::int64_t put = SystemCalls::Write(fd, data, count);
  written_ += std::max<std::int64_t>(put, 0);
  return put;
}

int FaultySystemCalls::Stat(int fd, FileFacts& facts) {
  std::lock_guard lock(mutex_);
  const int result = SystemCalls::Stat(fd, facts);
  if (result == 0 && faults_.grows && Targeted(fd) && readFrom_) {
    ++facts.size;
  }
  return result;
}

int FaultySystemCalls::Fsync(int fd) {
  std::lock_guard lock(mutex_);
  if (Interrupt(fd)) {
    return -1;
  }
  journal_.push_back("fsync " + names_[fd]);
  return faults_.fsyncFails && Targeted(fd) ? Fail(EIO) : SystemCalls::Fsync(fd);
}

int FaultySystemCalls::FsyncFolder(const char* path) {
  std::lock_guard lock(mutex_);
  journal_.push_back(std::string("fsync folder ") + path);
  return faults_.folderFsyncFails ? Fail(EIO) : SystemCalls::FsyncFolder(path);
}

std::vector<std::string> FaultySystemCalls::Journal() const {
  std::lock_guard lock(mutex_);
  return journal_;
}

void FaultySystemCalls::Note(const std::string& entry) {
  std::lock_guard lock(mutex_);
  journal_.push_back(entry);
}

int FaultySystemCalls::Close(int fd) {
  std::lock_guard lock(mutex_);
  const bool targeted = Targeted(fd);
  targeted_.erase(fd);
  names_.erase(fd);
  // A close releases the descriptor even when it reports a failure.
  const int rc = SystemCalls::Close(fd);
  const bool interrupted = Interrupt(fd);
  passNext_.erase(fd);
  if (interrupted) {
    return -1;
  }
  return faults_.closeFails && targeted ? Fail(EIO) : rc;
}

}  // namespace kv::test
