#include "platform/block_writer.h"

#include <algorithm>

namespace kv {

BlockWriter::BlockWriter()
    : blocks_{NewPageBuffer(kBlockSize + kPageSize), NewPageBuffer(kBlockSize + kPageSize)},
      thread_([this] { Loop(); }) {}

BlockWriter::~BlockWriter() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

std::int64_t BlockWriter::Landing(const BinaryFile& piece) {
  // The piece's own position moves while the writer writes to it.
  std::lock_guard lock(mutex_);
  return &piece == lastPiece_ ? lastPieceEnd_ : piece.Position();
}

std::byte* BlockWriter::Block(const BinaryFile& piece) {
  const std::int64_t landing = Landing(piece);
  shifts_[current_] = static_cast<std::size_t>(std::max<std::int64_t>(landing, 0)) % kPageSize;
  return blocks_[current_].get() + shifts_[current_];
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
  lastPieceEnd_ =
      (&piece == lastPiece_ ? lastPieceEnd_ : piece.Position()) + static_cast<std::int64_t>(length);
  lastPiece_ = &piece;
  piece_ = &piece;
  data_ = blocks_[current_].get() + shifts_[current_];
  length_ = length;
  current_ ^= 1;
  lock.unlock();
  changed_.notify_all();
  return true;
}

bool BlockWriter::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return piece_ == nullptr; });
  // The piece may now be written to, or closed, by the worker.
  lastPiece_ = nullptr;
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
