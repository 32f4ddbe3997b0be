#pragma once
// The Reed-Solomon sums of PAR2 computed a stripe at a time: the same byte
// range of every input slice is read once and multiplied into every output,
// so memory stays at (outputs + 1) stripes whatever the slice size.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "recovery/par2_packets.h"
#include "recovery/positioned_file.h"

namespace kv::par2 {

// An input slice: `length` bytes of `file` at `offset`, zero-padded to the slice size.
struct SliceSource {
  const ByteRange* file = nullptr;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::uint16_t constant = 0;  // PAR2's constant for the slice's set-wide index
};

// The widest stripe (a multiple of 4, at least 4) that keeps `outputs`
// stripes within `budget` bytes, and no wider than a slice.
std::size_t StripeWidth(std::uint64_t sliceSize, std::size_t outputs, std::size_t budget);

// Reads stripe [stripeOffset, +width) of `slice` into `out` (width bytes),
// zeros past its data; false when the file cannot give its bytes.
bool ReadStripe(const SliceSource& slice, std::uint64_t stripeOffset, std::span<std::uint8_t> out);

// outputs[r] ^= Σ constant_i^exponents[r] · slice_i over the stripe; false
// when an input cannot be read.
bool AddStripe(std::span<const SliceSource> inputs, std::span<const std::uint32_t> exponents,
               std::uint64_t stripeOffset, std::vector<Bytes>& outputs, Bytes& scratch);

}  // namespace kv::par2
