#pragma once
// Finds the Type3 marker in the first blocks of a piece: a bounded scan in
// 1024-byte blocks, each block overlapping the previous one so a marker lying
// across a block boundary is found.

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/byte_source.h"

namespace kv {

constexpr std::size_t kMarkerBlockSize = 1024;
constexpr int kMarkerScanBlocks = 100;

struct MarkerScan {
  // At most this many blocks are read.
  int maxBlocks = kMarkerScanBlocks;
  // Block k (counting from 1) is read only while k × 1024 < readLimit...
  std::int64_t readLimit = INT64_MAX;
  // ...except the first block, when this is set.
  bool firstBlockAlways = true;
  // How many bytes earlier than the end of a block without the pattern the
  // next block starts; below 0 means the pattern's length − 1.
  int overlap = -1;
};

// Scans from the source's current position. Found: the position of the
// pattern's first byte, and the source is positioned there. Not found (or a
// read error): nothing, and the source is left where the next block would
// have started, so a scan resumed from there still finds a pattern lying
// across the point where this one stopped.
std::optional<std::int64_t> FindMarker(ByteSource& src, std::string_view pattern,
                                       const MarkerScan& scan = {});

}  // namespace kv
