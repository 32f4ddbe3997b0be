#pragma once
// Arithmetic in GF(2^16) with the polynomial x^16+x^12+x^3+x+1 (0x1100B), the
// field of PAR2's Reed-Solomon code: addition is XOR, 2 generates the field.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kv::gf16 {

std::uint16_t Multiply(std::uint16_t a, std::uint16_t b);
// a to the power e (a^0 = 1, also for a = 0).
std::uint16_t Power(std::uint16_t a, std::uint32_t e);
// The inverse of a non-zero element.
std::uint16_t Inverse(std::uint16_t a);

// The most input slices a set can have: the count of exponents k < 65535
// prime to 65535.
inline constexpr std::uint32_t kMaxInputSlices = 32768;
// The constant PAR2 gives input slice `index` (< kMaxInputSlices): 2^k, k the
// (index+1)-th integer from 1 up prime to 65535.
std::uint16_t InputConstant(std::uint32_t index);

// dst ^= factor * src, word by word, over `bytes` bytes (even) read as
// little-endian 16-bit words. The portable table path.
void MultiplyAddTables(std::uint16_t factor, const std::uint8_t* src, std::uint8_t* dst,
                       std::size_t bytes);
// The same with AVX2 split tables; only where HasAvx2().
void MultiplyAddAvx2(std::uint16_t factor, const std::uint8_t* src, std::uint8_t* dst,
                     std::size_t bytes);
bool HasAvx2();
// dst ^= src (a factor of 1) with AVX2; only where HasAvx2().
void XorAvx2(const std::uint8_t* src, std::uint8_t* dst, std::size_t bytes);
// The same with GFNI bit-matrix steps on 512-bit vectors; only where HasGfni().
void MultiplyAddGfni(std::uint16_t factor, const std::uint8_t* src, std::uint8_t* dst,
                     std::size_t bytes);
bool HasGfni();
// The same through the quickest path this processor offers.
void MultiplyAdd(std::uint16_t factor, const std::uint8_t* src, std::uint8_t* dst,
                 std::size_t bytes);
// slice ^= factor · bytes placed at byte `at` of a slice, which may start or
// end inside a 16-bit word: the missing byte of such a word counts as zero
// (the slice, a multiple of 4 long, has room for the word `bytes` ends in).
void MultiplyAddAt(std::uint16_t factor, std::span<const std::uint8_t> bytes, std::uint64_t at,
                   std::uint8_t* slice);

}  // namespace kv::gf16
