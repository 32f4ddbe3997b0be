#pragma once
// One pass over a file for everything PAR2 records of it: the MD5 of the
// whole file and of its first 16 KiB, and the MD5 and CRC32 of each slice,
// the last one zero-padded to the slice size.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/positioned_file.h"
#include "recovery/par2_packets.h"

namespace kv::par2 {

struct FileHashes {
  Md5Digest md5{};
  Md5Digest md5First16k{};
  std::vector<SliceCheck> slices;
};

// False when the file cannot be read to its end.
// `stopAsked`, when given, is asked between chunks: true ends the hashing
// (false is returned, as for a read that failed).
// `eachChunk`, when given, sees every chunk read (and where it lies in the
// file) once it is hashed, so other work on the bytes needs no read of its own.
using ChunkUse = std::function<void(std::span<const std::uint8_t> chunk, std::uint64_t at)>;
bool HashFile(const ByteRange& file, std::uint64_t sliceSize, FileHashes& hashes,
              const std::function<bool()>& stopAsked = {}, const ChunkUse& eachChunk = {});

// The MD5 of the whole file alone, for a file that is most likely intact;
// false as for HashFile.
bool HashWholeFile(const ByteRange& file, Md5Digest& md5,
                   const std::function<bool()>& stopAsked = {});

}  // namespace kv::par2
