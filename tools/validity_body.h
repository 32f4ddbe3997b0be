#pragma once
// Sums the body of a piece for the validity check: folded into a fresh CRC-16
// where the bytes lie (a mapping of the file, a window at a time), or from
// large reads where they cannot be seen so. The read buffer belongs to one
// check run and is reused from piece to piece, so memory stays the same
// whatever the file sizes.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/byte_source.h"
#include "core/page_buffer.h"

namespace kv {

enum class BodyEnd {
  kSummed,     // every byte folded
  kCutShort,   // the source ended inside the body
  kReadError,  // a read failed with an error
  kCancelled,  // a cancel was seen after a completed 1024-byte portion
};

struct BodySum {
  BodyEnd end = BodyEnd::kSummed;
  std::uint16_t crc = 0;  // the CRC of the bytes folded
};

class BodySummer {
 public:
  // Bytes asked of the source in one read: a multiple of the 1024-byte
  // portion, small enough that a read from a slow medium ends well within
  // the time a cancel may take.
  static constexpr std::size_t kReadSize = std::size_t{1} << 20;

  BodySummer();
  ~BodySummer();
  BodySummer(const BodySummer&) = delete;
  BodySummer& operator=(const BodySummer&) = delete;

  // Folds the next `length` bytes of `src`, read from its current position
  // and never beyond. `runState` is read after every read that completed at
  // least one 1024-byte portion of the body; holding kRunCancelRequested it
  // ends the sum as kCancelled.
  BodySum Sum(ByteSource& src, std::int64_t length, const std::atomic<int>& runState);

 private:
  // Where a read of the bytes at file position `position` goes: at the same
  // offset within a page as they have in the file (allocated on first use).
  std::byte* BufferFor(std::int64_t position);

  PageBuffer storage_;
};

}  // namespace kv
