#pragma once
// System calls under which the reads of one chosen file come only as far as
// a gate the test opens step by step: a read past the bytes let through waits
// until more are let through, so a worker can be held at a chosen step. The
// kernel refuses to copy from that file, so its bytes are read.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>

#include "platform/system_calls.h"

namespace kv::test {

class PacedSystemCalls final : public SystemCalls {
 public:
  explicit PacedSystemCalls(std::string pacedPath) : pacedPath_(std::move(pacedPath)) {}

  // Lets the reads of the paced file deliver `total` bytes in all.
  void LetThrough(std::int64_t total);
  // Lets every read through from now on.
  void OpenFully();

  FileHandle Open(const char* path, bool forWriting, bool nonBlocking) override;
  std::int64_t Read(FileHandle file, void* out, std::size_t count) override;
  std::int64_t CopyFileRange(FileHandle in, FileHandle out, std::size_t count) override;
  int Close(FileHandle file) override;

 private:
  const std::string pacedPath_;
  std::mutex mutex_;
  std::condition_variable gateMoved_;
  std::set<FileHandle> paced_;
  std::int64_t allowed_ = 0;
  std::int64_t delivered_ = 0;
  bool fullyOpen_ = false;
};

}  // namespace kv::test
