#include "tests/faults/faulty_system_calls.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>

#include "core/job_state.h"

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

bool FaultySystemCalls::Targeted(FileHandle file) const {
  return targeted_.count(file) != 0;
}

bool FaultySystemCalls::Interrupt(FileHandle file) {
  if (!faults_.interruptEveryCall) {
    return false;
  }
  bool& pass = passNext_[file];
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

FileHandle FaultySystemCalls::Open(const char* path, bool forWriting, bool nonBlocking) {
  std::lock_guard lock(mutex_);
  if (Interrupt(FileHandle())) {
    return FileHandle();
  }
  const FileHandle file = SystemCalls::Open(path, forWriting, nonBlocking);
  if (file.Valid()) {
    names_[file] = path;
  }
  if (file.Valid() && EndsWith(path, faults_.target)) {
    targeted_.insert(file);
  }
  return file;
}

std::size_t FaultySystemCalls::ReadLeft(FileHandle file, std::size_t count) const {
  if (!Targeted(file) || faults_.readFailsAt < 0) {
    return count;
  }
  return static_cast<std::size_t>(
      std::clamp<std::int64_t>(faults_.readFailsAt - read_, 0, static_cast<std::int64_t>(count)));
}

std::size_t FaultySystemCalls::WriteRoom(FileHandle file, std::size_t count) const {
  if (!Targeted(file)) {
    return count;
  }
  if (faults_.shortWrites && count > 1) {
    count /= 2;
  }
  if (faults_.writeFullAt >= 0) {
    count = static_cast<std::size_t>(std::clamp<std::int64_t>(faults_.writeFullAt - written_, 0,
                                                              static_cast<std::int64_t>(count)));
  }
  return count;
}

std::int64_t FaultySystemCalls::FaultyRead(FileHandle file, std::size_t count,
                                           const std::function<std::int64_t(std::size_t)>& call) {
  std::lock_guard lock(mutex_);
  if (Interrupt(file)) {
    return -1;
  }
  readFrom_ = readFrom_ || Targeted(file);
  const std::size_t left = ReadLeft(file, count);
  if (left == 0 && count > 0) {
    return Fail(EIO);
  }
  const std::int64_t got = call(left);
  if (Targeted(file)) {
    read_ += std::max<std::int64_t>(got, 0);
  }
  return got;
}

std::int64_t FaultySystemCalls::FaultyWrite(FileHandle file, std::size_t count,
                                            const std::function<std::int64_t(std::size_t)>& call) {
  std::lock_guard lock(mutex_);
  if (Interrupt(file)) {
    return -1;
  }
  const std::size_t room = WriteRoom(file, count);
  if (room == 0 && count > 0) {
    return Fail(faults_.writeError);
  }
  const std::int64_t put = call(room);
  if (Targeted(file)) {
    written_ += std::max<std::int64_t>(put, 0);
  }
  return put;
}

std::int64_t FaultySystemCalls::Read(FileHandle file, void* out, std::size_t count) {
  return FaultyRead(file, count,
                    [&](std::size_t left) { return SystemCalls::Read(file, out, left); });
}

std::int64_t FaultySystemCalls::ReadAt(FileHandle file, void* out, std::size_t count,
                                       std::int64_t position) {
  return FaultyRead(file, count, [&](std::size_t left) {
    return SystemCalls::ReadAt(file, out, left, position);
  });
}

std::int64_t FaultySystemCalls::Write(FileHandle file, const void* data, std::size_t count) {
  return FaultyWrite(file, count,
                     [&](std::size_t room) { return SystemCalls::Write(file, data, room); });
}

std::int64_t FaultySystemCalls::WriteAt(FileHandle file, const void* data, std::size_t count,
                                        std::int64_t position) {
  return FaultyWrite(file, count, [&](std::size_t room) {
    return SystemCalls::WriteAt(file, data, room, position);
  });
}

std::int64_t FaultySystemCalls::CopyFileRange(FileHandle in, FileHandle out, std::size_t count) {
  std::lock_guard lock(mutex_);
  if (Interrupt(in)) {
    return -1;
  }
  if (faults_.copyFails != 0) {
    return Fail(faults_.copyFails);
  }
  copyRequests_.push_back(count);
  if (static_cast<int>(copyRequests_.size()) <= faults_.slowCopies) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  if (faults_.copyEndsAt >= 0) {
    count = static_cast<std::size_t>(std::clamp<std::int64_t>(faults_.copyEndsAt - copied_, 0,
                                                              static_cast<std::int64_t>(count)));
  }
  if (faults_.copyCancelsAt > copied_) {
    count = std::min(count, static_cast<std::size_t>(faults_.copyCancelsAt - copied_));
  }
  readFrom_ = readFrom_ || Targeted(in);
  const std::size_t left = ReadLeft(in, count);
  const std::size_t room = WriteRoom(out, left);
  if (count > 0 && (left == 0 || room == 0)) {
    return Fail(left == 0 ? EIO : faults_.writeError);
  }
  const std::int64_t moved = SystemCalls::CopyFileRange(in, out, room);
  const std::int64_t counted = std::max<std::int64_t>(moved, 0);
  read_ += Targeted(in) ? counted : 0;
  written_ += Targeted(out) ? counted : 0;
  copied_ += counted;
  if (!faults_.shrinksAfterCopy.empty() && moved > 0) {
    ::truncate(faults_.shrinksAfterCopy.c_str(), 0);
  }
  if (faults_.cancel != nullptr && faults_.copyCancelsAt >= 0 && copied_ >= faults_.copyCancelsAt) {
    faults_.cancel->store(kRunCancelRequested);
  }
  return moved;
}

std::vector<std::size_t> FaultySystemCalls::CopyRequests() const {
  std::lock_guard lock(mutex_);
  return copyRequests_;
}

std::int64_t FaultySystemCalls::Copied() const {
  std::lock_guard lock(mutex_);
  return copied_;
}

int FaultySystemCalls::Stat(FileHandle file, FileFacts& facts) {
  std::lock_guard lock(mutex_);
  const int result = SystemCalls::Stat(file, facts);
  if (result == 0 && faults_.grows && Targeted(file) && readFrom_) {
    ++facts.size;
  }
  return result;
}

int FaultySystemCalls::Fsync(FileHandle file) {
  std::lock_guard lock(mutex_);
  if (Interrupt(file)) {
    return -1;
  }
  journal_.push_back("fsync " + names_[file]);
  return faults_.fsyncFails && Targeted(file) ? Fail(EIO) : SystemCalls::Fsync(file);
}

int FaultySystemCalls::FsyncFolder(const char* path) {
  std::lock_guard lock(mutex_);
  journal_.push_back(std::string("fsync folder ") + path);
  return faults_.folderFsyncFails || (faults_.folderFsyncFailsOnceClosed && targetClosed_)
             ? Fail(EIO)
             : SystemCalls::FsyncFolder(path);
}

std::vector<std::string> FaultySystemCalls::Journal() const {
  std::lock_guard lock(mutex_);
  return journal_;
}

void FaultySystemCalls::Note(const std::string& entry) {
  std::lock_guard lock(mutex_);
  journal_.push_back(entry);
}

int FaultySystemCalls::Close(FileHandle file) {
  std::lock_guard lock(mutex_);
  const bool targeted = Targeted(file);
  targetClosed_ = targetClosed_ || targeted;
  targeted_.erase(file);
  names_.erase(file);
  // A close releases the descriptor even when it reports a failure.
  const int rc = SystemCalls::Close(file);
  const bool interrupted = Interrupt(file);
  passNext_.erase(file);
  if (interrupted) {
    return -1;
  }
  return faults_.closeFails && targeted ? Fail(EIO) : rc;
}

int FaultySystemCalls::RenameNoReplace(const char* from, const char* to) {
  return faults_.renameFails != 0 && EndsWith(to, faults_.target)
             ? Fail(faults_.renameFails)
             : SystemCalls::RenameNoReplace(from, to);
}

int FaultySystemCalls::Rename(const char* from, const char* to) {
  return faults_.renameFails != 0 && EndsWith(to, faults_.target) ? Fail(faults_.renameFails)
                                                                  : SystemCalls::Rename(from, to);
}

}  // namespace kv::test
