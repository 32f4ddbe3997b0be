// Eight MD5 streams at once in the 32-bit lanes of AVX2 vectors: each
// block's message words are transposed so that vector w holds word w of
// every lane; the round functions and rotations take two or three steps each.

#include "recovery/md5_lanes.h"
#include "recovery/md5_rounds.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#define KV_TARGET_AVX2 __attribute__((target("avx2")))

namespace kv::md5 {

namespace {

template <int Round>
KV_TARGET_AVX2 inline __m256i Mix(__m256i x, __m256i y, __m256i z) {
  if constexpr (Round == 0) {  // x ? y : z
    return _mm256_xor_si256(z, _mm256_and_si256(x, _mm256_xor_si256(y, z)));
  } else if constexpr (Round == 1) {  // z ? x : y
    return _mm256_xor_si256(y, _mm256_and_si256(z, _mm256_xor_si256(x, y)));
  } else if constexpr (Round == 2) {
    return _mm256_xor_si256(x, _mm256_xor_si256(y, z));
  } else {  // y ^ (x | ~z)
    const __m256i notZ = _mm256_xor_si256(z, _mm256_set1_epi32(-1));
    return _mm256_xor_si256(y, _mm256_or_si256(x, notZ));
  }
}

template <int Step>
KV_TARGET_AVX2 inline void Steps(__m256i& a, __m256i& b, __m256i& c, __m256i& d,
                                 const __m256i (&w)[16]) {
  if constexpr (Step < 64) {
    constexpr int kShift = Shift(Step);
    const __m256i added = _mm256_add_epi32(
        w[WordOf(Step)],
        _mm256_set1_epi32(static_cast<int>(kSine[static_cast<std::size_t>(Step)])));
    const __m256i sum = _mm256_add_epi32(_mm256_add_epi32(a, Mix<Step / 16>(b, c, d)), added);
    const __m256i rotated =
        _mm256_or_si256(_mm256_slli_epi32(sum, kShift), _mm256_srli_epi32(sum, 32 - kShift));
    a = _mm256_add_epi32(b, rotated);
    Steps<Step + 1>(d, a, b, c, w);  // the next step's A, B, C, D
  }
}

// w[half * 8 + i] = word half * 8 + i of every lane's block at `offset`: each
// half of the eight rows transposed by interleaving words, then pairs of
// words, then 128-bit halves.
KV_TARGET_AVX2 inline void LoadWords(const std::uint8_t* const* data, std::size_t offset,
                                     __m256i (&w)[16]) {
  for (int half = 0; half < 2; ++half) {
    __m256i r[8];
    for (int l = 0; l < 8; ++l) {
      r[l] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data[l] + offset + 32 * half));
    }
    __m256i t[8];
    for (int k = 0; k < 8; k += 2) {
      t[k] = _mm256_unpacklo_epi32(r[k], r[k + 1]);
      t[k + 1] = _mm256_unpackhi_epi32(r[k], r[k + 1]);
    }
    // u[4k + m], half j: word 4j + m of rows 4k to 4k + 3.
    __m256i u[8];
    for (int k = 0; k < 8; k += 4) {
      u[k] = _mm256_unpacklo_epi64(t[k], t[k + 2]);
      u[k + 1] = _mm256_unpackhi_epi64(t[k], t[k + 2]);
      u[k + 2] = _mm256_unpacklo_epi64(t[k + 1], t[k + 3]);
      u[k + 3] = _mm256_unpackhi_epi64(t[k + 1], t[k + 3]);
    }
    for (int m = 0; m < 4; ++m) {
      w[half * 8 + m] = _mm256_permute2x128_si256(u[m], u[4 + m], 0x20);
      w[half * 8 + 4 + m] = _mm256_permute2x128_si256(u[m], u[4 + m], 0x31);
    }
  }
}

}  // namespace

// The same steps as the AVX-512 kernel, eight lanes wide.
KV_TARGET_AVX2 void BlocksAvx2(std::uint32_t* state, const std::uint8_t* const* data,
                               std::size_t blocks) {
  __m256i words[4];  // A, B, C, D of every lane
  for (int k = 0; k < 4; ++k) {
    words[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(state + 8 * k));
  }
  for (std::size_t n = 0; n < blocks; ++n) {
    __m256i w[16];
    LoadWords(data, n * 64, w);
    __m256i next[4] = {words[0], words[1], words[2], words[3]};
    Steps<0>(next[0], next[1], next[2], next[3], w);
    for (int k = 0; k < 4; ++k) {
      words[k] = _mm256_add_epi32(words[k], next[k]);
    }
  }
  for (int k = 0; k < 4; ++k) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(state + 8 * k), words[k]);
  }
}

}  // namespace kv::md5

#else

namespace kv::md5 {

void BlocksAvx2(std::uint32_t*, const std::uint8_t* const*, std::size_t) {}

}  // namespace kv::md5

#endif
