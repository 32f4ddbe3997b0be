#include "platform/block_writer.h"

namespace kv {

BlockWriter::BlockWriter()
    : blocks_{NewPageBuffer(kBlockSize), NewPageBuffer(kBlockSize)}, thread_([this] { Loop(); }) {}

BlockWriter::~BlockWriter() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool BlockWriter::Submit(BinaryFile& piece, std::size_t length) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return piece_ == nullptr; });
  if (failed_) {
    return false;
  }
  if (length == 0) {
    return true;
  }
  piece_ = &piece;
  data_ = blocks_[current_].get();
  length_ = length;
  current_ ^= 1;
  lock.unlock();
  changed_.notify_all();
  return true;
}

bool BlockWriter::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return piece_ == nullptr; });
  return !failed_;
}

int BlockWriter::Error() {
  std::lock_guard lock(mutex_);
  return error_;
}

void BlockWriter::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return piece_ != nullptr || stop_; });
    if (piece_ == nullptr) {
      return;
    }
    BinaryFile* const piece = piece_;
    const std::byte* const data = data_;
    const std::size_t length = length_;
    lock.unlock();
    const bool ok = piece->Write(data, length);
    lock.lock();
    if (!ok && !failed_) {
      failed_ = true;
      error_ = piece->Error();
    }
    piece_ = nullptr;
    changed_.notify_all();
  }
}

}  // namespace kv
