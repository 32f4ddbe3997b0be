#include "tests/faults/paced_system_calls.h"

#include <algorithm>
#include <cerrno>

namespace kv::test {

void PacedSystemCalls::LetThrough(std::int64_t total) {
  {
    std::lock_guard lock(mutex_);
    allowed_ = std::max(allowed_, total);
  }
  gateMoved_.notify_all();
}

void PacedSystemCalls::OpenFully() {
  {
    std::lock_guard lock(mutex_);
    fullyOpen_ = true;
  }
  gateMoved_.notify_all();
}

FileHandle PacedSystemCalls::Open(const char* path, bool forWriting, bool nonBlocking) {
  const FileHandle file = SystemCalls::Open(path, forWriting, nonBlocking);
  if (file.Valid() && !forWriting && pacedPath_ == path) {
    std::lock_guard lock(mutex_);
    paced_.insert(file);
  }
  return file;
}

std::int64_t PacedSystemCalls::Read(FileHandle file, void* out, std::size_t count) {
  std::unique_lock lock(mutex_);
  if (paced_.count(file) == 0 || count == 0) {
    lock.unlock();
    return SystemCalls::Read(file, out, count);
  }
  gateMoved_.wait(lock, [this] { return fullyOpen_ || delivered_ < allowed_; });
  if (!fullyOpen_) {
    count = std::min(count, static_cast<std::size_t>(allowed_ - delivered_));
  }
  const std::int64_t got = SystemCalls::Read(file, out, count);
  delivered_ += std::max<std::int64_t>(got, 0);
  return got;
}

std::int64_t PacedSystemCalls::CopyFileRange(FileHandle in, FileHandle out, std::size_t count) {
  {
    std::lock_guard lock(mutex_);
    if (paced_.count(in) != 0) {
      errno = ENOSYS;  // the paced file is read, step by step, through the gate
      return -1;
    }
  }
  return SystemCalls::CopyFileRange(in, out, count);
}

int PacedSystemCalls::Close(FileHandle file) {
  {
    std::lock_guard lock(mutex_);
    paced_.erase(file);
  }
  return SystemCalls::Close(file);
}

}  // namespace kv::test
