#include "core/crc16.h"

#include <array>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KV_CRC16_CLMUL 1
#endif

namespace kv {
namespace {

constexpr std::uint16_t kPolynomial = 0x1021;

// tables[k][x]: what the byte x contributes when k more bytes follow it, so
// eight bytes are folded in with one lookup each and no bit loop.
using Tables = std::array<std::array<std::uint16_t, 256>, 8>;

constexpr Tables MakeTables() {
  Tables tables{};
  for (unsigned x = 0; x < 256; ++x) {
    auto crc = static_cast<std::uint16_t>(x << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ kPolynomial : crc << 1);
    }
    tables[0][x] = crc;
  }
  for (std::size_t k = 1; k < tables.size(); ++k) {
    for (unsigned x = 0; x < 256; ++x) {
      const std::uint16_t prev = tables[k - 1][x];
      tables[k][x] = static_cast<std::uint16_t>((prev << 8) ^ tables[0][prev >> 8]);
    }
  }
  return tables;
}

constexpr Tables kTables = MakeTables();

std::uint16_t FoldTables(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
  const auto& t = kTables;
  while (n >= 8) {
    const auto b0 = static_cast<std::uint8_t>(p[0] ^ (crc >> 8));
    const auto b1 = static_cast<std::uint8_t>(p[1] ^ (crc & 0xFF));
    crc = static_cast<std::uint16_t>(t[7][b0] ^ t[6][b1] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^
                                     t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
    p += 8;
    n -= 8;
  }
  while (n-- > 0) {
    crc = static_cast<std::uint16_t>((crc << 8) ^ t[0][((crc >> 8) ^ *p++) & 0xFF]);
  }
  return crc;
}

#ifdef KV_CRC16_CLMUL
// x^n mod P for P = x^16 + 0x1021: the factors that carry a 64-bit half of a
// 128-bit block past the next block without changing its remainder.
constexpr std::uint16_t XPowModP(unsigned n) {
  std::uint32_t r = 1;
  for (unsigned i = 0; i < n; ++i) {
    r <<= 1;
    if ((r & 0x10000) != 0) {
      r ^= 0x10000 | kPolynomial;
    }
  }
  return static_cast<std::uint16_t>(r);
}

// Sixteen bytes as a 128-bit polynomial, the first byte's top bit highest.
__attribute__((target("pclmul,ssse3"))) inline __m128i LoadBlock(const std::uint8_t* at,
                                                                 __m128i reverse) {
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), reverse);
}

// Multiplies a 128-bit block by x^128 modulo P, keeping 128 bits: hi*x^192 + lo*x^128.
__attribute__((target("pclmul,ssse3"))) inline __m128i Fold128(__m128i acc, __m128i factors) {
  return _mm_xor_si128(_mm_clmulepi64_si128(acc, factors, 0x11),
                       _mm_clmulepi64_si128(acc, factors, 0x00));
}

// Folds 16-byte blocks with carry-less multiplication: A*x^128 ≡ hi*x^192 +
// lo*x^128 (mod P), so a 128-bit accumulator stays congruent to the bytes
// read so far; its own CRC (and then the tail's) is the CRC of the whole.
// Four accumulators a block apart keep the multiplier busy; they are joined
// before the last blocks.
__attribute__((target("pclmul,ssse3"))) std::uint16_t FoldClmul(std::uint16_t crc,
                                                                const std::uint8_t* p,
                                                                std::size_t n) {
  const __m128i reverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m128i by128 = _mm_set_epi64x(XPowModP(192), XPowModP(128));
  const __m128i by512 = _mm_set_epi64x(XPowModP(576), XPowModP(512));
  // The running value enters as the first two message bytes do.
  __m128i acc = _mm_xor_si128(
      LoadBlock(p, reverse),
      _mm_set_epi64x(static_cast<long long>(static_cast<std::uint64_t>(crc) << 48), 0));
  p += 16;
  n -= 16;
  if (n >= 112) {
    __m128i lanes[4] = {acc, LoadBlock(p, reverse), LoadBlock(p + 16, reverse),
                        LoadBlock(p + 32, reverse)};
    p += 48;
    n -= 48;
    while (n >= 64) {
      for (int i = 0; i < 4; ++i) {
        lanes[i] = _mm_xor_si128(Fold128(lanes[i], by512), LoadBlock(p + 16 * i, reverse));
      }
      p += 64;
      n -= 64;
    }
    acc = lanes[0];
    for (int i = 1; i < 4; ++i) {
      acc = _mm_xor_si128(Fold128(acc, by128), lanes[i]);
    }
  }
  while (n >= 16) {
    acc = _mm_xor_si128(Fold128(acc, by128), LoadBlock(p, reverse));
    p += 16;
    n -= 16;
  }
  alignas(16) std::uint8_t block[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(block), _mm_shuffle_epi8(acc, reverse));
  return FoldTables(FoldTables(0, block, sizeof block), p, n);
}

bool HasClmul() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
  return has;
}
#endif

// Below this length the tables are as quick as setting up the vector path.
constexpr std::size_t kClmulMinLength = 64;

std::uint16_t Fold(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
#ifdef KV_CRC16_CLMUL
  if (n >= kClmulMinLength && HasClmul()) {
    return FoldClmul(crc, p, n);
  }
#endif
  return FoldTables(crc, p, n);
}

}  // namespace

std::uint16_t Crc16::Update(const void* data, std::size_t length, bool continueRun) {
  if (!continueRun) {
    value_ = 0;
  }
  if (length > 0) {
    value_ = Fold(value_, static_cast<const std::uint8_t*>(data), length);
  }
  return value_;
}

std::uint16_t Crc16Of(const void* data, std::size_t length) {
  Crc16 crc;
  return crc.Update(data, length, false);
}

}  // namespace kv
