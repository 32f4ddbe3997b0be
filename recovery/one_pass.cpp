#include "recovery/one_pass.h"

#include <array>

#include "recovery/gf16.h"
#include "recovery/two_threads.h"

namespace kv::par2 {

namespace {

// sums[r] at `at` += factors[r] · chunk; an odd end is a word's low byte,
// its high byte padding (the slice, a multiple of 4 long, has room for it).
void AddChunk(std::span<const std::uint8_t> chunk, std::uint64_t at,
              const std::vector<std::uint16_t>& factors, std::vector<Bytes>& sums) {
  const std::size_t even = chunk.size() / 2 * 2;
  for (std::size_t r = 0; r < factors.size(); ++r) {
    std::uint8_t* into = sums[r].data() + at;
    gf16::MultiplyAdd(factors[r], chunk.data(), into, even);
    if (even < chunk.size()) {
      const std::uint16_t product = gf16::Multiply(factors[r], chunk.back());
      into[even] ^= static_cast<std::uint8_t>(product);
      into[even + 1] ^= static_cast<std::uint8_t>(product >> 8);
    }
  }
}

}  // namespace

bool HashAndSum(std::span<const OnePassInput> inputs, std::span<const std::uint32_t> exponents,
                std::uint64_t sliceSize, std::vector<FileHashes>& hashes, std::vector<Bytes>& sums,
                std::size_t& failed) {
  hashes.resize(inputs.size());
  // Each thread's sums are made where they are first needed, the two at once.
  std::array<std::vector<Bytes>, 2> threadSums;
  std::vector<char> hashed(inputs.size(), 0);
  ForEachOnTwoThreads(inputs.size(), [&](std::size_t i, unsigned thread, const StopCheck&) {
    std::vector<Bytes>& into = threadSums[thread];
    if (into.empty()) {
      into.assign(exponents.size(), Bytes(static_cast<std::size_t>(sliceSize), 0));
    }
    std::vector<std::uint16_t> factors;
    for (const std::uint32_t e : exponents) {
      factors.push_back(gf16::Power(inputs[i].constant, e));
    }
    hashed[i] = HashFile(*inputs[i].file, sliceSize, hashes[i], {},
                         [&](std::span<const std::uint8_t> chunk, std::uint64_t at) {
                           AddChunk(chunk, at, factors, into);
                         });
    return hashed[i] != 0;
  });
  for (failed = 0; failed < inputs.size(); ++failed) {
    if (hashed[failed] == 0) {
      return false;
    }
  }
  const std::size_t first = threadSums[0].empty() ? 1 : 0;  // a thread may have had no input
  sums = std::move(threadSums[first]);
  const std::vector<Bytes>& other = threadSums[1 - first];
  if (sums.empty()) {  // no input at all
    sums.assign(exponents.size(), Bytes(static_cast<std::size_t>(sliceSize), 0));
  }
  ForEachOnTwoThreads(other.size(), [&](std::size_t r, unsigned, const StopCheck&) {
    gf16::MultiplyAdd(1, other[r].data(), sums[r].data(), sums[r].size());
    return true;
  });
  return true;
}

}  // namespace kv::par2
