#pragma once
// Writes a job's blocks to its output file (a piece or a restored file) on a
// thread of its own, so the next block is read and checked while the last one
// is being written. Two block buffers: the worker fills one while the other is written.
// A block starts at the same offset within a page as the place in the output
// it lands at, so the kernel copies it into the page cache page by page
// (a copy shifted within a page runs several times slower).

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "core/page_buffer.h"
#include "core/result.h"
#include "platform/binary_file.h"

namespace kv {

class BlockWriter {
 public:
  // Large enough that handing a block over costs little next to writing it.
  static constexpr std::size_t kBlockSize = 4 * 1024 * 1024;

  BlockWriter();
  // Lets a pending write finish, then ends the thread.
  ~BlockWriter();
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  // The block the worker fills now for `piece` (kBlockSize bytes); another
  // one after each Submit.
  std::byte* Block(const BinaryFile& piece);
  // Where the next block handed over for `piece` lands in it.
  std::int64_t Landing(const BinaryFile& piece);
  // Hands the first `length` bytes of Block() over to be appended to `piece`,
  // once the block handed over before is written. False (nothing handed over)
  // when a write has failed. `piece` is not touched by the worker again before Wait().
  bool Submit(BinaryFile& piece, std::size_t length);
  // Hands `piece` itself over, to be ended with `tail` (a few bytes, copied)
  // and closed after the block handed over before, while the worker goes on
  // with the next piece. False (the piece closed unwritten) when a write has
  // failed or `tail` is too long.
  bool Finish(std::unique_ptr<BinaryFile> piece, std::span<const std::byte> tail);
  // Waits until every block and piece handed over is written; false when a write failed.
  bool Wait();
  // The write or close that failed: its system error and file; no error and
  // no file while none has.
  Failure Fault();

 private:
  void Loop();
  // Landing, under mutex_.
  std::int64_t LandingLocked(const BinaryFile& piece) const;
  // Writes the tail and closes the piece handed over to Finish, if any, once
  // the block before is written (`ok`); a failure is kept like a write's.
  void EndPiece(std::unique_lock<std::mutex>& lock, bool ok);

  PageBuffer blocks_[2];
  // Where each block's bytes begin in its buffer: below one page.
  std::size_t shifts_[2] = {0, 0};
  int current_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  // The block being written, under mutex_: none when piece_ is null.
  BinaryFile* piece_ = nullptr;
  const std::byte* data_ = nullptr;
  std::size_t length_ = 0;
  // What ends piece_ after its block: its last bytes, and the piece to close.
  std::array<std::byte, 16> tail_{};
  std::size_t tailLength_ = 0;
  std::unique_ptr<BinaryFile> closing_;
  // The output of the last block handed over, and its size once that block is written.
  const BinaryFile* lastPiece_ = nullptr;
  std::int64_t lastPieceEnd_ = 0;
  bool failed_ = false;
  Failure fault_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace kv
