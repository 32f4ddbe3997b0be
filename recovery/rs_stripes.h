#pragma once
// The Reed-Solomon sums of PAR2 computed a stripe at a time: the same byte
// range of every input slice is read once and multiplied into every output,
// so memory stays at the outputs' stripes whatever the slice size. A stripe
// is summed in narrower ones, two threads taking them in turn, so that the
// sums being added to stay in the processor's cache.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/positioned_file.h"
#include "recovery/par2_packets.h"
#include "recovery/two_threads.h"

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

// Adds stripes of `inputs` into outputs, one exponent an output, on two
// threads. The spans must outlive it; it is used from one thread at a time.
class StripeAdder {
 public:
  StripeAdder(std::span<const SliceSource> inputs, std::span<const std::uint32_t> exponents)
      : inputs_(inputs), exponents_(exponents) {}

  // outputs[r] ^= Σ constant_i^exponents[r] · slice_i over the stripe
  // [stripeOffset, +width), every output `width` bytes (a multiple of 4);
  // false when an input cannot be read, or `stopAsked` (asked on this
  // thread between inputs) ends it.
  bool Add(std::uint64_t stripeOffset, std::vector<Bytes>& outputs,
           const StopCheck& stopAsked = {});

 private:
  // Adds `width` bytes of `slice` from `from` on into the outputs at `at`.
  bool AddInput(const SliceSource& slice, std::uint64_t from, std::size_t width, Bytes& piece,
                std::vector<Bytes>& outputs, std::size_t at);

  std::span<const SliceSource> inputs_;
  std::span<const std::uint32_t> exponents_;
  std::array<Bytes, 2> pieces_;  // each thread's read buffer
};

}  // namespace kv::par2
