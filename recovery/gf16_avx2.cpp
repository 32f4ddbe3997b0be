// dst ^= factor * src with AVX2 split tables: each 16-bit product is the XOR
// of the products of the word's four nibbles, looked up sixteen at a time
// (one table per nibble and product byte). Thirty-two words are taken at
// once: their low and high bytes are packed apart, looked up, and put back
// together (the pack and the unpack reorder the 128-bit lanes alike, so the
// words come out in their places).

#include "recovery/gf16.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#include <array>

#define KV_TARGET_AVX2 __attribute__((target("avx2")))

namespace kv::gf16 {

namespace {

// Tables [nibble n][product byte]: factor * (x << 4n), 16 entries each.
struct SplitTables {
  std::array<std::array<std::uint8_t, 16>, 4> low{};
  std::array<std::array<std::uint8_t, 16>, 4> high{};
  explicit SplitTables(std::uint16_t factor) {
    for (unsigned n = 0; n < 4; ++n) {
      for (unsigned x = 0; x < 16; ++x) {
        const std::uint16_t p = Multiply(factor, static_cast<std::uint16_t>(x << (4 * n)));
        low[n][x] = static_cast<std::uint8_t>(p);
        high[n][x] = static_cast<std::uint8_t>(p >> 8);
      }
    }
  }
};

KV_TARGET_AVX2 __m256i Broadcast(const std::array<std::uint8_t, 16>& table) {
  return _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data())));
}

// The product byte `t` gives for the nibbles of the packed low and high bytes.
KV_TARGET_AVX2 __m256i LookUp(const __m256i (&t)[4], __m256i lo, __m256i hi, __m256i mask) {
  const __m256i r0 = _mm256_shuffle_epi8(t[0], _mm256_and_si256(lo, mask));
  const __m256i r1 = _mm256_shuffle_epi8(t[1], _mm256_and_si256(_mm256_srli_epi16(lo, 4), mask));
  const __m256i r2 = _mm256_shuffle_epi8(t[2], _mm256_and_si256(hi, mask));
  const __m256i r3 = _mm256_shuffle_epi8(t[3], _mm256_and_si256(_mm256_srli_epi16(hi, 4), mask));
  return _mm256_xor_si256(_mm256_xor_si256(r0, r1), _mm256_xor_si256(r2, r3));
}

}  // namespace

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

KV_TARGET_AVX2 void MultiplyAddAvx2(std::uint16_t factor, const std::uint8_t* src,
                                    std::uint8_t* dst, std::size_t bytes) {
  if (factor == 0) {
    return;
  }
  const SplitTables tables(factor);
  const __m256i low[4] = {Broadcast(tables.low[0]), Broadcast(tables.low[1]),
                          Broadcast(tables.low[2]), Broadcast(tables.low[3])};
  const __m256i high[4] = {Broadcast(tables.high[0]), Broadcast(tables.high[1]),
                           Broadcast(tables.high[2]), Broadcast(tables.high[3])};
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i lowByte = _mm256_set1_epi16(0x00FF);
  std::size_t j = 0;
  for (; j + 64 <= bytes; j += 64) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + j));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + j + 32));
    const __m256i lo =
        _mm256_packus_epi16(_mm256_and_si256(a, lowByte), _mm256_and_si256(b, lowByte));
    const __m256i hi = _mm256_packus_epi16(_mm256_srli_epi16(a, 8), _mm256_srli_epi16(b, 8));
    const __m256i productLow = LookUp(low, lo, hi, nibble);
    const __m256i productHigh = LookUp(high, lo, hi, nibble);
    __m256i* out = reinterpret_cast<__m256i*>(dst + j);
    _mm256_storeu_si256(out, _mm256_xor_si256(_mm256_loadu_si256(out),
                                              _mm256_unpacklo_epi8(productLow, productHigh)));
    _mm256_storeu_si256(out + 1, _mm256_xor_si256(_mm256_loadu_si256(out + 1),
                                                  _mm256_unpackhi_epi8(productLow, productHigh)));
  }
  if (j < bytes) {  // the tables cost more than a short tail
    MultiplyAddTables(factor, src + j, dst + j, bytes - j);
  }
}

KV_TARGET_AVX2 void XorAvx2(const std::uint8_t* src, std::uint8_t* dst, std::size_t bytes) {
  std::size_t j = 0;
  for (; j + 32 <= bytes; j += 32) {
    __m256i* out = reinterpret_cast<__m256i*>(dst + j);
    _mm256_storeu_si256(
        out, _mm256_xor_si256(_mm256_loadu_si256(out),
                              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + j))));
  }
  for (; j < bytes; ++j) {
    dst[j] ^= src[j];
  }
}

}  // namespace kv::gf16

#else

namespace kv::gf16 {

bool HasAvx2() {
  return false;
}

void MultiplyAddAvx2(std::uint16_t factor, const std::uint8_t* src, std::uint8_t* dst,
                     std::size_t bytes) {
  MultiplyAddTables(factor, src, dst, bytes);
}

void XorAvx2(const std::uint8_t* src, std::uint8_t* dst, std::size_t bytes) {
  for (std::size_t j = 0; j < bytes; ++j) {
    dst[j] ^= src[j];
  }
}

}  // namespace kv::gf16

#endif
