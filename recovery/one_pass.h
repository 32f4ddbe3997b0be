#pragma once
// The files of a set that are each one slice (a series' pieces) read once:
// each thread takes a group of files and hashes a chunk of every one side by
// side in MD5 lanes; each chunk is then, still in the processor's cache,
// checksummed and multiplied into the recovery slices. The sums are held
// whole, twice (a thread's own), so this is for sets whose recovery fits in
// memory; with no exponents the files are only hashed.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "recovery/file_hashes.h"
#include "recovery/two_threads.h"

namespace kv::par2 {

struct OnePassInput {
  const ByteRange* file = nullptr;  // at most a slice long
  std::uint16_t constant = 0;       // PAR2's constant for its slice
};

// Hashes inputs[i] into hashes[i] and sums it, zero-padded, times
// constant^exponents[r] into sums[r] (each made a slice long).
// False when an input cannot be read; `failed` is then its index (the
// first in order when more fail). `stopAsked` is asked between chunks, on
// this thread: true ends it, false returned with `failed` past the inputs.
bool HashAndSum(std::span<const OnePassInput> inputs, std::span<const std::uint32_t> exponents,
                std::uint64_t sliceSize, std::vector<FileHashes>& hashes, std::vector<Bytes>& sums,
                std::size_t& failed, const StopCheck& stopAsked = {});

}  // namespace kv::par2
