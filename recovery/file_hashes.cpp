#include "recovery/file_hashes.h"

#include <algorithm>

namespace kv::par2 {

namespace {

constexpr std::size_t kChunk = 1 << 20;

// The slice being hashed, closed with its padding when full or at the end.
// A file of one slice needs no hash of its own: the whole file's digest,
// padded, is the slice's (see HashFile).
struct OpenSlice {
  Md5 md5;
  std::uint32_t crc = 0;
  std::uint64_t filled = 0;

  void Add(std::span<const std::uint8_t> bytes, bool withMd5) {
    if (withMd5) {
      md5.Update(bytes);
    }
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

// Splits a chunk of the file at its slices' ends.
void AddToSlices(std::span<const std::uint8_t> chunk, std::uint64_t sliceSize, OpenSlice& slice,
                 std::vector<SliceCheck>& slices) {
  for (std::span<const std::uint8_t> rest(chunk); !rest.empty();) {
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(rest.size(), sliceSize - slice.filled));
    slice.Add(rest.first(take), true);
    rest = rest.subspan(take);
    if (slice.filled == sliceSize) {
      slices.push_back(slice.Close(sliceSize));
    }
  }
}

// Hands the file to `take` a chunk at a time, in order; false when a stop
// or a read that failed ended it.
bool ReadInChunks(const ByteRange& file, const std::function<bool()>& stopAsked,
                  const ChunkUse& take) {
  Bytes buffer(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, file.Size())));
  for (std::uint64_t at = 0; at < file.Size();) {
    const std::span<std::uint8_t> chunk = std::span(buffer).first(
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), file.Size() - at)));
    if ((stopAsked && stopAsked()) || !file.ReadAt(at, chunk)) {
      return false;
    }
    take(chunk, at);
    at += chunk.size();
  }
  return true;
}

}  // namespace

bool HashFile(const ByteRange& file, std::uint64_t sliceSize, FileHashes& hashes,
              const std::function<bool()>& stopAsked, const ChunkUse& eachChunk) {
  const std::uint64_t size = file.Size();
  const bool oneSlice = size <= sliceSize;
  Md5 whole;
  Md5 first;
  OpenSlice slice;
  hashes.slices.clear();
  const bool read =
      ReadInChunks(file, stopAsked, [&](std::span<const std::uint8_t> chunk, std::uint64_t at) {
        whole.Update(chunk);
        if (at < kFirstBytes && size > kFirstBytes) {
          first.Update(chunk.first(
              static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), kFirstBytes - at))));
        }
        if (oneSlice) {
          slice.Add(chunk, false);
        } else {
          AddToSlices(chunk, sliceSize, slice, hashes.slices);
        }
        if (eachChunk) {
          eachChunk(chunk, at);
        }
      });
  if (!read) {
    return false;
  }
  if (oneSlice && size > 0) {
    const std::size_t padding = static_cast<std::size_t>(sliceSize - size);
    hashes.slices.push_back({whole.DigestWithZeros(padding), Crc32Zeros(slice.crc, padding)});
  } else if (slice.filled > 0) {
    hashes.slices.push_back(slice.Close(sliceSize));
  }
  hashes.md5 = whole.Finish();
  hashes.md5First16k = size > kFirstBytes ? first.Finish() : hashes.md5;
  return true;
}

bool HashWholeFile(const ByteRange& file, Md5Digest& md5, const std::function<bool()>& stopAsked) {
  Md5 whole;
  if (!ReadInChunks(file, stopAsked, [&whole](std::span<const std::uint8_t> chunk, std::uint64_t) {
        whole.Update(chunk);
      })) {
    return false;
  }
  md5 = whole.Finish();
  return true;
}

}  // namespace kv::par2
