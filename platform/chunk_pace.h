#pragma once
// How much a copy loop moves at once on a medium of unknown speed: as much
// as it can while that goes quickly, less when a chunk would keep a cancel
// waiting.

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace kv {

// The size for the next chunk after one of `bytes` took `took`: half of it
// (not below `smallest`) after more than 20 ms, twice it (not above
// `largest`) after less than 5 ms, else the same.
inline std::int64_t PacedChunk(std::int64_t bytes, std::chrono::steady_clock::duration took,
                               std::int64_t smallest, std::int64_t largest) {
  using std::chrono::milliseconds;
  if (took > milliseconds(20)) {
    return std::max(bytes / 2, smallest);
  }
  if (took < milliseconds(5)) {
    return std::min(bytes * 2, largest);
  }
  return bytes;
}

}  // namespace kv
