#include "tools/validity_body.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

#include "core/crc16.h"
#include "core/job_progress.h"
#include "core/job_state.h"

namespace kv {

namespace {

constexpr auto kReadSize = static_cast<std::int64_t>(BodySummer::kReadSize);

// Bodies up to this long are read and folded on the calling thread: a second
// thread would cost more to start than it could save.
constexpr std::int64_t kLongestInline = 2 * kReadSize;

// Folds what one read brought and tells whether the sum ends there. Reads
// start on portion boundaries, so a read of 1024 bytes or more completed at
// least one portion and the cancel is looked at, before a short read counts.
std::optional<BodyEnd> FoldRead(Crc16& crc, const std::byte* bytes, std::int64_t wanted,
                                std::int64_t got, const std::atomic<int>& runState) {
  if (got < 0) {
    return BodyEnd::kReadError;
  }
  crc.Update(bytes, static_cast<std::size_t>(got), true);
  if (got >= kStepSize && runState.load() == kRunCancelRequested) {
    return BodyEnd::kCancelled;
  }
  if (got < wanted) {
    return BodyEnd::kCutShort;
  }
  return std::nullopt;
}

// The reads of a body cut into kReadSize pieces, and where the reader is.
struct ReadPlan {
  std::int64_t length = 0;
  std::int64_t Wanted(std::int64_t index) const {
    return std::min(kReadSize, length - index * kReadSize);
  }
  std::int64_t Count() const { return (length + kReadSize - 1) / kReadSize; }
};

// Hands filled buffers from the reader thread to the folding one. A slot is
// the reader's until it is counted in `filled`, then the folder's until it
// is counted in `folded`.
struct Handover {
  std::mutex mutex;
  std::condition_variable changed;
  std::int64_t filled = 0;
  std::int64_t folded = 0;
  bool stop = false;  // the folder needs no more reads
  std::int64_t got[BodySummer::kSlots] = {};
};

// The reader thread's part: fills the slots in turn, never more than
// kSlots reads ahead of the folding, and stops after a short or failed read
// (on which the folder ends the sum) or when the folder says stop.
void ReadAhead(ByteSource& src, const ReadPlan& plan, const BodySummer::Slots& slots,
               Handover& hand) {
  for (std::int64_t index = 0; index < plan.Count(); ++index) {
    const std::size_t slot = static_cast<std::size_t>(index) % BodySummer::kSlots;
    {
      std::unique_lock lock(hand.mutex);
      hand.changed.wait(lock, [&] {
        return hand.stop || index - hand.folded < static_cast<std::int64_t>(BodySummer::kSlots);
      });
      if (hand.stop) {
        return;
      }
    }
    const std::int64_t wanted = plan.Wanted(index);
    const std::int64_t got = src.Read(slots[slot].first(static_cast<std::size_t>(wanted)));
    const std::lock_guard lock(hand.mutex);
    hand.got[slot] = got;
    ++hand.filled;
    hand.changed.notify_all();
    if (got != wanted) {
      return;
    }
  }
}

}  // namespace

BodySummer::BodySummer() = default;
BodySummer::~BodySummer() = default;

void BodySummer::AlignedDelete::operator()(std::byte* bytes) const {
  ::operator delete[](bytes, std::align_val_t{kPageSize});
}

BodySummer::Slots BodySummer::SlotsFor(std::int64_t position, std::size_t count) {
  // The copy out of the page cache runs several times slower when the bytes
  // land at another offset within a cache line than they have in the file.
  const auto shift = static_cast<std::size_t>(std::max<std::int64_t>(position, 0)) % kPageSize;
  Slots slots;
  for (std::size_t slot = 0; slot < count; ++slot) {
    if (!storage_[slot]) {
      storage_[slot].reset(static_cast<std::byte*>(
          ::operator new[](kReadSize + kPageSize, std::align_val_t{kPageSize})));
    }
    slots[slot] = std::span(storage_[slot].get() + shift, kReadSize);
  }
  return slots;
}

BodySum BodySummer::Sum(ByteSource& src, std::int64_t length, const std::atomic<int>& runState) {
  if (length <= 0) {
    return {};
  }
  if (length <= kLongestInline) {
    return SumHere(src, length, SlotsFor(src.Position(), 1)[0], runState);
  }
  return SumOverlapped(src, length, SlotsFor(src.Position(), kSlots), runState);
}

BodySum BodySummer::SumHere(ByteSource& src, std::int64_t length, std::span<std::byte> buffer,
                            const std::atomic<int>& runState) {
  Crc16 crc;
  const ReadPlan plan{.length = length};
  for (std::int64_t index = 0; index < plan.Count(); ++index) {
    const std::int64_t wanted = plan.Wanted(index);
    const std::int64_t got = src.Read(buffer.first(static_cast<std::size_t>(wanted)));
    if (const std::optional<BodyEnd> end = FoldRead(crc, buffer.data(), wanted, got, runState)) {
      return {.end = *end, .crc = crc.Value()};
    }
  }
  return {.end = BodyEnd::kSummed, .crc = crc.Value()};
}

BodySum BodySummer::SumOverlapped(ByteSource& src, std::int64_t length, const Slots& slots,
                                  const std::atomic<int>& runState) {
  const ReadPlan plan{.length = length};
  Handover hand;
  std::thread reader([&] { ReadAhead(src, plan, slots, hand); });
  Crc16 crc;
  BodySum sum{.end = BodyEnd::kSummed};
  for (std::int64_t index = 0; index < plan.Count(); ++index) {
    const std::size_t slot = static_cast<std::size_t>(index) % kSlots;
    std::int64_t got = 0;
    {
      std::unique_lock lock(hand.mutex);
      hand.changed.wait(lock, [&] { return hand.filled > index; });
      got = hand.got[slot];
    }
    const std::optional<BodyEnd> end =
        FoldRead(crc, slots[slot].data(), plan.Wanted(index), got, runState);
    const std::lock_guard lock(hand.mutex);
    ++hand.folded;
    hand.stop = end.has_value();
    hand.changed.notify_all();
    if (end) {
      sum.end = *end;
      break;
    }
  }
  reader.join();
  sum.crc = crc.Value();
  return sum;
}

}  // namespace kv
