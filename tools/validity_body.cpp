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
  std::byte* const buffer = length > 0 ? BufferFor(src.Position()) : nullptr;
  // Reads start on portion boundaries, so a read of 1024 bytes or more
  // completed at least one portion: the cancel is looked at then, before a
  // short read counts.
  for (std::int64_t done = 0; done < length;) {
    const std::int64_t wanted = std::min(kReadBytes, length - done);
    const std::int64_t got = src.Read(std::span(buffer, static_cast<std::size_t>(wanted)));
    if (got < 0) {
      return {.end = BodyEnd::kReadError, .crc = crc.Value()};
    }
    crc.Update(buffer, static_cast<std::size_t>(got), true);
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
