#pragma once
// Sums the body of a piece for the validity check: large reads folded whole
// into a fresh CRC-16, the next read made on a second thread while the
// current one is folded. The buffers belong to one check run and are reused
// from piece to piece, so memory stays the same whatever the file sizes.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "core/byte_source.h"

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
  // Buffers the reader may fill ahead of the folding.
  static constexpr std::size_t kSlots = 3;

  BodySummer();
  ~BodySummer();
  BodySummer(const BodySummer&) = delete;
  BodySummer& operator=(const BodySummer&) = delete;

  // Folds the next `length` bytes of `src`, read from its current position
  // and never beyond. `runState` is read after every read that completed at
  // least one 1024-byte portion of the body; holding kRunCancelRequested it
  // ends the sum as kCancelled. `src` is no longer used when this returns.
  BodySum Sum(ByteSource& src, std::int64_t length, const std::atomic<int>& runState);

  using Slots = std::array<std::span<std::byte>, kSlots>;

 private:
  static constexpr std::size_t kPageSize = 4096;
  struct AlignedDelete {
    void operator()(std::byte* bytes) const;
  };
  // The first `count` slots, each starting at the same offset within a page
  // as the file position `position` (allocated on first use).
  Slots SlotsFor(std::int64_t position, std::size_t count);
  BodySum SumHere(ByteSource& src, std::int64_t length, std::span<std::byte> buffer,
                  const std::atomic<int>& runState);
  BodySum SumOverlapped(ByteSource& src, std::int64_t length, const Slots& slots,
                        const std::atomic<int>& runState);

  std::unique_ptr<std::byte[], AlignedDelete> storage_[kSlots];
};

}  // namespace kv
