#include "platform/block_writer.h"

#include <algorithm>
#include <utility>

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
  std::lock_guard lock(mutex_);
  return LandingLocked(piece);
}

std::int64_t BlockWriter::LandingLocked(const BinaryFile& piece) const {
  // The piece's own position moves while the writer writes to it.
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
  lastPieceEnd_ = LandingLocked(piece) + static_cast<std::int64_t>(length);
  lastPiece_ = &piece;
  piece_ = &piece;
  data_ = blocks_[current_].get() + shifts_[current_];
  length_ = length;
  current_ ^= 1;
  lock.unlock();
  changed_.notify_all();
  return true;
}

bool BlockWriter::Finish(std::unique_ptr<BinaryFile> piece, std::span<const std::byte> tail) {
  if (tail.size() > tail_.size()) {
    return false;
  }
  std::unique_lock lock(mutex_);
  // A block of the piece still on its way: the tail and the close follow it.
  if (piece_ != piece.get()) {
    changed_.wait(lock, [this] { return piece_ == nullptr; });
    if (failed_) {
      return false;
    }
    piece_ = piece.get();
    data_ = nullptr;
    length_ = 0;
  }
  std::copy(tail.begin(), tail.end(), tail_.begin());
  tailLength_ = tail.size();
  closing_ = std::move(piece);
  // Nothing else is written to this piece, and a new one may take its address.
  lastPiece_ = nullptr;
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

Failure BlockWriter::Fault() {
  std::lock_guard lock(mutex_);
  return fault_;
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
    bool ok = length == 0 || piece->Write(data, length);
    lock.lock();
    if (!ok && !failed_) {
      failed_ = true;
      fault_ = piece->Fault();
    }
    EndPiece(lock, ok);
    piece_ = nullptr;
    changed_.notify_all();
  }
}

void BlockWriter::EndPiece(std::unique_lock<std::mutex>& lock, bool ok) {
  std::unique_ptr<BinaryFile> piece = std::move(closing_);
  if (!piece) {
    return;
  }
  const std::array<std::byte, 16> tail = tail_;
  const std::size_t tailLength = tailLength_;
  tailLength_ = 0;
  lock.unlock();
  ok = ok && piece->Write(tail.data(), tailLength);
  ok = piece->Close() && ok;
  lock.lock();
  if (!ok && !failed_) {
    failed_ = true;
    fault_ = piece->Fault();
  }
  // Closed already: letting it go costs nothing, under the lock or not.
  piece.reset();
}

}  // namespace kv
