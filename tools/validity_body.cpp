#include "tools/validity_body.h"

#include <algorithm>

#include "core/crc16.h"
#include "core/job_progress.h"
#include "core/job_state.h"

namespace kv {

namespace {

constexpr auto kReadBytes = static_cast<std::int64_t>(BodySummer::kReadSize);

}  // namespace

BodySummer::BodySummer() = default;
BodySummer::~BodySummer() = default;

std::byte* BodySummer::BufferFor(std::int64_t position) {
  if (!storage_) {
    storage_ = NewPageBuffer(BodySummer::kReadSize + kPageSize);
  }
  // The copy out of the page cache runs several times slower when the bytes
  // land at another offset within a cache line than they have in the file.
  return storage_.get() + static_cast<std::size_t>(std::max<std::int64_t>(position, 0)) % kPageSize;
}

BodySum BodySummer::Sum(ByteSource& src, std::int64_t length, const std::atomic<int>& runState) {
  Crc16 crc;
  // The bytes are folded where they lie while the source can show them so;
  // from the first portion it cannot, they are read, which tells a body cut
  // short from a failing medium.
  bool looking = true;
  // Reads start on portion boundaries, so a read of 1024 bytes or more
  // completed at least one portion: the cancel is looked at then, before a
  // short read counts.
  for (std::int64_t done = 0; done < length;) {
    const std::int64_t wanted = std::min(kReadBytes, length - done);
    std::int64_t got = -1;
    if (looking) {
      Crc16 seen = crc;
      looking = src.LookAhead(
          wanted, [&seen](const std::byte* bytes, std::size_t n) { seen.Update(bytes, n, true); });
      if (looking) {
        crc = seen;
        got = wanted;
      }
    }
    if (!looking) {
      std::byte* const buffer = BufferFor(src.Position());
      got = src.Read(std::span(buffer, static_cast<std::size_t>(wanted)));
      if (got < 0) {
        return {.end = BodyEnd::kReadError, .crc = crc.Value()};
      }
      crc.Update(buffer, static_cast<std::size_t>(got), true);
    }
    if (got >= kStepSize && runState.load() == kRunCancelRequested) {
      return {.end = BodyEnd::kCancelled, .crc = crc.Value()};
    }
    if (got < wanted) {
      return {.end = BodyEnd::kCutShort, .crc = crc.Value()};
    }
    done += got;
  }
  return {.end = BodyEnd::kSummed, .crc = crc.Value()};
}

}  // namespace kv
