#include "recovery/file_hashes.h"

#include <algorithm>

namespace kv::par2 {

namespace {

constexpr std::size_t kChunk = 1 << 20;

// The slice being hashed, closed with its padding when full or at the end.
struct OpenSlice {
  Md5 md5;
  std::uint32_t crc = 0;
  std::uint64_t filled = 0;

  void Add(std::span<const std::uint8_t> bytes) {
    md5.Update(bytes);
    crc = Crc32(crc, bytes);
    filled += bytes.size();
  }
  SliceCheck Close(std::uint64_t sliceSize) {
    const std::size_t padding = static_cast<std::size_t>(sliceSize - filled);
    md5.UpdateZeros(padding);
    const SliceCheck check{md5.Finish(), Crc32Zeros(crc, padding)};
    crc = 0;
    filled = 0;
    return check;
  }
};

}  // namespace

bool HashFile(const ByteRange& file, std::uint64_t sliceSize, FileHashes& hashes,
              const std::function<bool()>& stopAsked) {
  Md5 whole;
  Md5 first;
  OpenSlice slice;
  hashes.slices.clear();
  Bytes buffer;
  for (std::uint64_t at = 0; at < file.Size();) {
    buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, file.Size() - at)));
    if ((stopAsked && stopAsked()) || !file.ReadAt(at, buffer)) {
      return false;
    }
    whole.Update(buffer);
    if (at < kFirstBytes) {
      first.Update(std::span(buffer).first(
          static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), kFirstBytes - at))));
    }
    for (std::span<const std::uint8_t> rest(buffer); !rest.empty();) {
      const std::size_t take =
          static_cast<std::size_t>(std::min<std::uint64_t>(rest.size(), sliceSize - slice.filled));
      slice.Add(rest.first(take));
      rest = rest.subspan(take);
      if (slice.filled == sliceSize) {
        hashes.slices.push_back(slice.Close(sliceSize));
      }
    }
    at += buffer.size();
  }
  if (slice.filled > 0) {
    hashes.slices.push_back(slice.Close(sliceSize));
  }
  hashes.md5 = whole.Finish();
  hashes.md5First16k = first.Finish();
  return true;
}

}  // namespace kv::par2
