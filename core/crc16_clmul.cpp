// CRC-16/XMODEM by carry-less multiplication. A 128-bit block A = hi*x^64 + lo
// carried D bits further along the message is hi*x^(D+64) + lo*x^D, and with
// both powers reduced modulo P it is again at most 128 bits wide: so blocks
// are folded into accumulators a fixed distance apart, and only the last one
// is reduced, by the tables, to the 16-bit remainder.

#include "core/crc16_paths.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#define KV_TARGET_CLMUL __attribute__((target("pclmul,ssse3")))
#define KV_TARGET_VPCLMUL __attribute__((target("pclmul,avx2,vpclmulqdq")))

namespace kv::crc16 {
namespace {

// x^n mod P for P = x^16 + 0x1021.
constexpr std::uint16_t XPowModP(unsigned n) {
  std::uint32_t r = 1;
  for (unsigned i = 0; i < n; ++i) {
    r <<= 1;
    if ((r & 0x10000) != 0) {
      r ^= 0x11021;
    }
  }
  return static_cast<std::uint16_t>(r);
}

// Sixteen bytes as a 128-bit polynomial, the first byte's top bit highest.
KV_TARGET_CLMUL inline __m128i LoadBlock(const std::uint8_t* at, __m128i reverse) {
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), reverse);
}

// The factors that carry a block `Bits` further, worked out while compiling.
template <unsigned Bits>
struct Factors {
  static constexpr long long kHigh = XPowModP(Bits + 64);
  static constexpr long long kLow = XPowModP(Bits);
};

template <unsigned Bits>
KV_TARGET_CLMUL inline __m128i FactorsFor() {
  return _mm_set_epi64x(Factors<Bits>::kHigh, Factors<Bits>::kLow);
}

// Carries a block `factors` bits further (see FactorsFor).
KV_TARGET_CLMUL inline __m128i Fold128(__m128i acc, __m128i factors) {
  return _mm_xor_si128(_mm_clmulepi64_si128(acc, factors, 0x11),
                       _mm_clmulepi64_si128(acc, factors, 0x00));
}

KV_TARGET_CLMUL inline __m128i ReverseMask() {
  return _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
}

// The running value enters as the first two message bytes do.
KV_TARGET_CLMUL inline __m128i RunningValueBlock(std::uint16_t crc) {
  return _mm_set_epi64x(static_cast<long long>(static_cast<std::uint64_t>(crc) << 48), 0);
}

// Folds the remaining whole blocks one by one, then reduces the accumulator
// and the last few bytes with the tables.
KV_TARGET_CLMUL std::uint16_t FinishClmul(__m128i acc, const std::uint8_t* p, std::size_t n) {
  const __m128i reverse = ReverseMask();
  const __m128i by128 = FactorsFor<128>();
  for (; n >= 16; p += 16, n -= 16) {
    acc = _mm_xor_si128(Fold128(acc, by128), LoadBlock(p, reverse));
  }
  alignas(16) std::uint8_t block[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(block), _mm_shuffle_epi8(acc, reverse));
  return FoldTables(FoldTables(0, block, sizeof block), p, n);
}

// Eight accumulators a block apart keep the multiplier busy; they are joined
// before the last blocks.
KV_TARGET_CLMUL std::uint16_t FoldClmulBlocks(std::uint16_t crc, const std::uint8_t* p,
                                              std::size_t n) {
  constexpr int kLanes = 8;
  constexpr std::size_t kStripe = 16 * kLanes;
  const __m128i reverse = ReverseMask();
  __m128i acc = _mm_xor_si128(LoadBlock(p, reverse), RunningValueBlock(crc));
  if (n >= kStripe * 2) {
    const __m128i byStripe = FactorsFor<8 * kStripe>();
    __m128i lanes[kLanes];
    lanes[0] = acc;
#pragma GCC unroll 8
    for (int i = 1; i < kLanes; ++i) {
      lanes[i] = LoadBlock(p + 16 * i, reverse);
    }
    for (p += kStripe, n -= kStripe; n >= kStripe; p += kStripe, n -= kStripe) {
#pragma GCC unroll 8
      for (int i = 0; i < kLanes; ++i) {
        lanes[i] = _mm_xor_si128(Fold128(lanes[i], byStripe), LoadBlock(p + 16 * i, reverse));
      }
    }
    const __m128i by128 = FactorsFor<128>();
    acc = lanes[0];
#pragma GCC unroll 8
    for (int i = 1; i < kLanes; ++i) {
      acc = _mm_xor_si128(Fold128(acc, by128), lanes[i]);
    }
    return FinishClmul(acc, p, n);
  }
  return FinishClmul(acc, p + 16, n - 16);
}

// 32 bytes as two 128-bit polynomials, earlier block in the low lane.
KV_TARGET_VPCLMUL inline __m256i LoadPair(const std::uint8_t* at, __m256i reverse) {
  return _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), reverse);
}

template <unsigned Bits>
KV_TARGET_VPCLMUL inline __m256i PairFactorsFor() {
  using F = Factors<Bits>;
  return _mm256_set_epi64x(F::kHigh, F::kLow, F::kHigh, F::kLow);
}

KV_TARGET_VPCLMUL inline __m256i Fold256(__m256i acc, __m256i factors) {
  return _mm256_xor_si256(_mm256_clmulepi64_epi128(acc, factors, 0x11),
                          _mm256_clmulepi64_epi128(acc, factors, 0x00));
}

constexpr int kPairLanes = 8;
constexpr std::size_t kPairStripe = 32 * kPairLanes;

// Joins the accumulators pairwise, neighbours first, so that the joining
// multiplications of one level do not wait for each other.
KV_TARGET_VPCLMUL inline __m256i JoinLanes(const __m256i (&lanes)[kPairLanes]) {
  static_assert(kPairLanes == 8);
  const __m256i byPair = PairFactorsFor<256>();
  const __m256i byTwoPairs = PairFactorsFor<512>();
  const __m256i byFourPairs = PairFactorsFor<1024>();
  const __m256i l01 = _mm256_xor_si256(Fold256(lanes[0], byPair), lanes[1]);
  const __m256i l23 = _mm256_xor_si256(Fold256(lanes[2], byPair), lanes[3]);
  const __m256i l45 = _mm256_xor_si256(Fold256(lanes[4], byPair), lanes[5]);
  const __m256i l67 = _mm256_xor_si256(Fold256(lanes[6], byPair), lanes[7]);
  const __m256i l0123 = _mm256_xor_si256(Fold256(l01, byTwoPairs), l23);
  const __m256i l4567 = _mm256_xor_si256(Fold256(l45, byTwoPairs), l67);
  return _mm256_xor_si256(Fold256(l0123, byFourPairs), l4567);
}

// Eight accumulators of two blocks each, 256 bytes per round: enough
// independent multiplications to cover the multiplier's latency.
KV_TARGET_VPCLMUL std::uint16_t FoldVpclmulStripes(std::uint16_t crc, const std::uint8_t* p,
                                                   std::size_t n) {
  const __m256i reverse = _mm256_broadcastsi128_si256(ReverseMask());
  __m256i lanes[kPairLanes];
#pragma GCC unroll 8
  for (int i = 0; i < kPairLanes; ++i) {
    lanes[i] = LoadPair(p + 32 * i, reverse);
  }
  lanes[0] = _mm256_xor_si256(lanes[0], _mm256_castsi128_si256(RunningValueBlock(crc)));
  const __m256i byStripe = PairFactorsFor<8 * kPairStripe>();
  for (p += kPairStripe, n -= kPairStripe; n >= kPairStripe; p += kPairStripe, n -= kPairStripe) {
#pragma GCC unroll 8
    for (int i = 0; i < kPairLanes; ++i) {
      lanes[i] = _mm256_xor_si256(Fold256(lanes[i], byStripe), LoadPair(p + 32 * i, reverse));
    }
  }
  __m256i acc = JoinLanes(lanes);
  const __m256i byPair = PairFactorsFor<256>();
  for (; n >= 32; p += 32, n -= 32) {
    acc = _mm256_xor_si256(Fold256(acc, byPair), LoadPair(p, reverse));
  }
  const __m128i joined = _mm_xor_si128(Fold128(_mm256_castsi256_si128(acc), FactorsFor<128>()),
                                       _mm256_extracti128_si256(acc, 1));
  return FinishClmul(joined, p, n);
}

}  // namespace

bool HasClmul() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
  return has;
}

bool HasVpclmul() {
  // The AVX2 test also asks the system whether it saves the ymm registers.
  static const bool has =
      HasClmul() && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("vpclmulqdq");
  return has;
}

std::uint16_t FoldClmul(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
  return n < 16 ? FoldTables(crc, p, n) : FoldClmulBlocks(crc, p, n);
}

std::uint16_t FoldVpclmul(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
  return n < kPairStripe ? FoldClmul(crc, p, n) : FoldVpclmulStripes(crc, p, n);
}

}  // namespace kv::crc16

#else

namespace kv::crc16 {

bool HasClmul() {
  return false;
}
bool HasVpclmul() {
  return false;
}
std::uint16_t FoldClmul(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
  return FoldTables(crc, p, n);
}
std::uint16_t FoldVpclmul(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
  return FoldTables(crc, p, n);
}

}  // namespace kv::crc16

#endif
