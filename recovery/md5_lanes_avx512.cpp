// Sixteen MD5 streams at once in the 32-bit lanes of AVX-512 vectors: each
// block's message words are transposed so that vector w holds word w of
// every lane, the round functions are one vpternlogd each and the rotations
// one vprold.

#include "recovery/md5_lanes.h"
#include "recovery/md5_rounds.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// GCC 12's AVX-512 intrinsics start their unused results from themselves,
// which it then warns of where they are inlined.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#define KV_TARGET_AVX512 __attribute__((target("avx512f")))

namespace kv::md5 {

namespace {

// MD5's F, G, H and I on single bits.
constexpr bool Mix(int round, bool x, bool y, bool z) {
  switch (round) {
    case 0:
      return x ? y : z;
    case 1:
      return z ? x : y;
    case 2:
      return (x != y) != z;
    default:
      return y != (x || !z);
  }
}

// vpternlogd's table of a round function: bit (x << 2 | y << 1 | z) is its value there.
constexpr int TruthTable(int round) {
  int table = 0;
  for (int i = 0; i < 8; ++i) {
    if (Mix(round, (i & 4) != 0, (i & 2) != 0, (i & 1) != 0)) {
      table |= 1 << i;
    }
  }
  return table;
}

template <int Step>
KV_TARGET_AVX512 inline void Steps(__m512i& a, __m512i& b, __m512i& c, __m512i& d,
                                   const __m512i (&w)[16]) {
  if constexpr (Step < 64) {
    constexpr int kTable = TruthTable(Step / 16);
    constexpr int kShift = Shift(Step);
    const __m512i mixed = _mm512_ternarylogic_epi32(b, c, d, kTable);
    const __m512i added = _mm512_add_epi32(
        w[WordOf(Step)],
        _mm512_set1_epi32(static_cast<int>(kSine[static_cast<std::size_t>(Step)])));
    a = _mm512_add_epi32(
        b, _mm512_rol_epi32(_mm512_add_epi32(_mm512_add_epi32(a, mixed), added), kShift));
    Steps<Step + 1>(d, a, b, c, w);  // the next step's A, B, C, D
  }
}

// w[i] = word i of every lane's block at `offset`: the sixteen rows (a lane's
// block each) transposed by interleaving words, then pairs of words, then
// 128-bit quarters.
KV_TARGET_AVX512 inline void LoadWords(const std::uint8_t* const* data, std::size_t offset,
                                       __m512i (&w)[16]) {
  __m512i r[16];
  for (int l = 0; l < 16; ++l) {
    r[l] = _mm512_loadu_si512(data[l] + offset);
  }
  __m512i t[16];
  for (int k = 0; k < 16; k += 2) {
    t[k] = _mm512_unpacklo_epi32(r[k], r[k + 1]);
    t[k + 1] = _mm512_unpackhi_epi32(r[k], r[k + 1]);
  }
  // u[4k + m], quarter j: word 4j + m of rows 4k to 4k + 3.
  __m512i u[16];
  for (int k = 0; k < 16; k += 4) {
    u[k] = _mm512_unpacklo_epi64(t[k], t[k + 2]);
    u[k + 1] = _mm512_unpackhi_epi64(t[k], t[k + 2]);
    u[k + 2] = _mm512_unpacklo_epi64(t[k + 1], t[k + 3]);
    u[k + 3] = _mm512_unpackhi_epi64(t[k + 1], t[k + 3]);
  }
  for (int m = 0; m < 4; ++m) {
    const __m512i even01 = _mm512_shuffle_i32x4(u[m], u[4 + m], 0x88);  // quarters 0, 2
    const __m512i odd01 = _mm512_shuffle_i32x4(u[m], u[4 + m], 0xDD);   // quarters 1, 3
    const __m512i even23 = _mm512_shuffle_i32x4(u[8 + m], u[12 + m], 0x88);
    const __m512i odd23 = _mm512_shuffle_i32x4(u[8 + m], u[12 + m], 0xDD);
    w[m] = _mm512_shuffle_i32x4(even01, even23, 0x88);
    w[4 + m] = _mm512_shuffle_i32x4(odd01, odd23, 0x88);
    w[8 + m] = _mm512_shuffle_i32x4(even01, even23, 0xDD);
    w[12 + m] = _mm512_shuffle_i32x4(odd01, odd23, 0xDD);
  }
}

}  // namespace

KV_TARGET_AVX512 void BlocksAvx512(std::uint32_t* state, const std::uint8_t* const* data,
                                   std::size_t blocks) {
  __m512i words[4];  // A, B, C, D of every lane
  for (int k = 0; k < 4; ++k) {
    words[k] = _mm512_loadu_si512(state + 16 * k);
  }
  for (std::size_t n = 0; n < blocks; ++n) {
    __m512i w[16];
    LoadWords(data, n * 64, w);
    __m512i next[4] = {words[0], words[1], words[2], words[3]};
    Steps<0>(next[0], next[1], next[2], next[3], w);
    for (int k = 0; k < 4; ++k) {
      words[k] = _mm512_add_epi32(words[k], next[k]);
    }
  }
  for (int k = 0; k < 4; ++k) {
    _mm512_storeu_si512(state + 16 * k, words[k]);
  }
}

}  // namespace kv::md5

#else

namespace kv::md5 {

void BlocksAvx512(std::uint32_t*, const std::uint8_t* const*, std::size_t) {}

}  // namespace kv::md5

#endif
