#include "core/marker_scan.h"

#include <algorithm>
#include <array>

namespace kv {

std::optional<std::int64_t> FindMarker(ByteSource& src, std::string_view pattern,
                                       const MarkerScan& scan) {
  if (pattern.empty() || pattern.size() > kMarkerBlockSize) {
    return std::nullopt;
  }
  const std::int64_t overlap =
      scan.overlap < 0 ? static_cast<std::int64_t>(pattern.size()) - 1 : scan.overlap;
  std::array<char, kMarkerBlockSize> block{};
  std::int64_t start = src.Position();
  for (int k = 1; k <= scan.maxBlocks; ++k) {
    const bool allowed =
        (k == 1 && scan.firstBlockAlways) ||
        static_cast<std::int64_t>(k) * static_cast<std::int64_t>(kMarkerBlockSize) < scan.readLimit;
    if (!allowed || !src.Seek(start)) {
      break;
    }
    const std::int64_t got = src.Read(std::as_writable_bytes(std::span(block)));
    if (got <= 0) {
      break;
    }
    // Zero bytes in the data are plain bytes here: the search runs over the
    // count read, so they never end it (and the pattern holds no zero).
    const auto end = block.begin() + got;
    const auto hit = std::search(block.begin(), end, pattern.begin(), pattern.end());
    if (hit != end) {
      const std::int64_t position = start + (hit - block.begin());
      src.Seek(position);
      return position;
    }
    if (got < static_cast<std::int64_t>(kMarkerBlockSize) || got <= overlap) {
      break;  // the source ends in this block
    }
    start += got - overlap;
  }
  src.Seek(start);
  return std::nullopt;
}

}  // namespace kv
