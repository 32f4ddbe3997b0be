// dst ^= factor * src with GFNI on 512-bit vectors: multiplying by a
// constant is linear over GF(2), so each product byte is an 8x8 bit matrix
// applied to the word's low byte XOR another applied to its high byte. One
// affine step applies a matrix to every byte at once; a mask picks the
// high bytes' matrix for the odd bytes, and the word's bytes swapped give
// the terms that cross from one byte to the other.

#include "recovery/gf16.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#define KV_TARGET_GFNI __attribute__((target("avx512f,avx512bw,gfni")))

namespace kv::gf16 {

namespace {

// The matrices taking byte `from` (0 low, 1 high) of a word to byte `to` of
// its product, as the affine step reads them: output bit i from byte 7 - i.
// Column b is the product of bit b alone.
struct ByteMatrices {
  std::uint64_t matrix[2][2] = {};  // [from][to]
  explicit ByteMatrices(std::uint16_t factor) {
    for (unsigned b = 0; b < 16; ++b) {
      const std::uint16_t column = Multiply(factor, static_cast<std::uint16_t>(1U << b));
      for (unsigned bit = 0; bit < 16; ++bit) {
        if ((column >> bit) & 1U) {
          matrix[b / 8][bit / 8] |= std::uint64_t{1} << (8 * (7 - bit % 8) + b % 8);
        }
      }
    }
  }
};

KV_TARGET_GFNI __m512i Broadcast(std::uint64_t matrix) {
  return _mm512_set1_epi64(static_cast<long long>(matrix));
}

}  // namespace

bool HasGfni() {
  static const bool has = __builtin_cpu_supports("gfni") && __builtin_cpu_supports("avx512bw");
  return has;
}

KV_TARGET_GFNI void MultiplyAddGfni(std::uint16_t factor, const std::uint8_t* src,
                                    std::uint8_t* dst, std::size_t bytes) {
  if (factor == 0) {
    return;
  }
  const ByteMatrices m(factor);
  const __m512i lowToLow = Broadcast(m.matrix[0][0]);
  const __m512i highToHigh = Broadcast(m.matrix[1][1]);
  const __m512i highToLow = Broadcast(m.matrix[1][0]);
  const __m512i lowToHigh = Broadcast(m.matrix[0][1]);
  const __mmask64 highBytes = 0xAAAAAAAAAAAAAAAAULL;
  const __m512i swapBytes = _mm512_set4_epi32(0x0E0F0C0D, 0x0A0B0809, 0x06070405, 0x02030001);
  std::size_t j = 0;
  for (; j + 64 <= bytes; j += 64) {
    const __m512i words = _mm512_loadu_si512(src + j);
    __m512i same = _mm512_gf2p8affine_epi64_epi8(words, lowToLow, 0);
    same = _mm512_mask_gf2p8affine_epi64_epi8(same, highBytes, words, highToHigh, 0);
    const __m512i swapped = _mm512_shuffle_epi8(words, swapBytes);
    __m512i cross = _mm512_gf2p8affine_epi64_epi8(swapped, highToLow, 0);
    cross = _mm512_mask_gf2p8affine_epi64_epi8(cross, highBytes, swapped, lowToHigh, 0);
    const __m512i sum =
        _mm512_xor_si512(_mm512_loadu_si512(dst + j), _mm512_xor_si512(same, cross));
    _mm512_storeu_si512(dst + j, sum);
  }
  if (j < bytes) {  // the tables cost more than a short tail
    MultiplyAddTables(factor, src + j, dst + j, bytes - j);
  }
}

}  // namespace kv::gf16

#else

namespace kv::gf16 {

bool HasGfni() {
  return false;
}

void MultiplyAddGfni(std::uint16_t factor, const std::uint8_t* src, std::uint8_t* dst,
                     std::size_t bytes) {
  MultiplyAddTables(factor, src, dst, bytes);
}

}  // namespace kv::gf16

#endif
