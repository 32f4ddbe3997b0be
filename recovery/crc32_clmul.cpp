// The zlib CRC32 (reflected, polynomial 0xEDB88320) by carry-less
// multiplication: four 128-bit accumulators are carried 512 bits along the
// message at a time, joined, and the last 128 bits are reduced to 32 by a
// Barrett step, all in the reflected bit order, so no byte is reversed.

#include "recovery/crc32_clmul.h"

#include "core/crc16_paths.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#define KV_TARGET_CLMUL __attribute__((target("pclmul,sse4.1")))

namespace kv {

namespace {

// x^k mod P for the carries (reflected, shifted one place as the
// multiplication of reflected values needs), and P with its Barrett quotient.
constexpr long long kBy512Low = 0x154442bd4;
constexpr long long kBy512High = 0x1c6e41596;
constexpr long long kBy128Low = 0x1751997d0;
constexpr long long kBy128High = 0x0ccaa009e;
constexpr long long kBy64 = 0x163cd6124;
constexpr long long kPolynomial = 0x1db710641;
constexpr long long kQuotient = 0x1f7011641;

KV_TARGET_CLMUL inline __m128i Load(const std::uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

KV_TARGET_CLMUL inline __m128i Carry(__m128i acc, __m128i factors) {
  return _mm_xor_si128(_mm_clmulepi64_si128(acc, factors, 0x00),
                       _mm_clmulepi64_si128(acc, factors, 0x11));
}

// 128 bits to the 32-bit remainder.
KV_TARGET_CLMUL std::uint32_t Reduce(__m128i acc) {
  const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);
  const __m128i by128 = _mm_set_epi64x(kBy128High, kBy128Low);
  acc = _mm_xor_si128(_mm_clmulepi64_si128(acc, by128, 0x10), _mm_srli_si128(acc, 8));
  const __m128i by64 = _mm_set_epi64x(0, kBy64);
  acc = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(acc, mask32), by64, 0x00),
                      _mm_srli_si128(acc, 4));
  const __m128i barrett = _mm_set_epi64x(kQuotient, kPolynomial);
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(acc, mask32), barrett, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), barrett, 0x00);
  return static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(t, acc), 1));
}

}  // namespace

bool HasCrc32Clmul() {
  return crc16::HasClmul() && __builtin_cpu_supports("sse4.1");
}

KV_TARGET_CLMUL std::uint32_t FoldCrc32Clmul(std::uint32_t state, const std::uint8_t* p,
                                             std::size_t blocks) {
  __m128i lanes[4] = {Load(p), Load(p + 16), Load(p + 32), Load(p + 48)};
  lanes[0] = _mm_xor_si128(lanes[0], _mm_cvtsi32_si128(static_cast<int>(state)));
  const __m128i by512 = _mm_set_epi64x(kBy512High, kBy512Low);
  std::size_t left = blocks - 4;
  for (p += 64; left >= 4; p += 64, left -= 4) {
    for (int i = 0; i < 4; ++i) {
      lanes[i] = _mm_xor_si128(Carry(lanes[i], by512), Load(p + 16 * i));
    }
  }
  const __m128i by128 = _mm_set_epi64x(kBy128High, kBy128Low);
  __m128i acc = lanes[0];
  for (int i = 1; i < 4; ++i) {
    acc = _mm_xor_si128(Carry(acc, by128), lanes[i]);
  }
  for (; left > 0; p += 16, --left) {
    acc = _mm_xor_si128(Carry(acc, by128), Load(p));
  }
  return Reduce(acc);
}

}  // namespace kv

#else

namespace kv {

bool HasCrc32Clmul() {
  return false;
}

std::uint32_t FoldCrc32Clmul(std::uint32_t state, const std::uint8_t*, std::size_t) {
  return state;
}

}  // namespace kv

#endif
