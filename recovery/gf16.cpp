#include "recovery/gf16.h"

#include <array>
#include <cstring>
#include <vector>

namespace kv::gf16 {

namespace {

constexpr std::uint32_t kPolynomial = 0x1100B;
constexpr std::uint32_t kOrder = 65535;

struct Tables {
  // exp holds two periods so a sum of two logarithms needs no reduction.
  std::vector<std::uint16_t> exp = std::vector<std::uint16_t>(2 * kOrder);
  std::vector<std::uint16_t> log = std::vector<std::uint16_t>(kOrder + 1);
  std::vector<std::uint16_t> constants;

  Tables() {
    std::uint32_t x = 1;
    for (std::uint32_t k = 0; k < kOrder; ++k) {
      exp[k] = exp[k + kOrder] = static_cast<std::uint16_t>(x);
      log[x] = static_cast<std::uint16_t>(k);
      x <<= 1;
      if (x & 0x10000) {
        x ^= kPolynomial;
      }
    }
    constants.reserve(kMaxInputSlices);
    for (std::uint32_t k = 1; k < kOrder; ++k) {
      if (k % 3 != 0 && k % 5 != 0 && k % 17 != 0 && k % 257 != 0) {
        constants.push_back(exp[k]);
      }
    }
  }
};

const Tables& TheTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

std::uint16_t Multiply(std::uint16_t a, std::uint16_t b) {
  if (a == 0 || b == 0) {
    return 0;
  }
  const Tables& t = TheTables();
  return t.exp[std::uint32_t{t.log[a]} + t.log[b]];
}

std::uint16_t Power(std::uint16_t a, std::uint32_t e) {
  if (e == 0) {
    return 1;
  }
  if (a == 0) {
    return 0;
  }
  const Tables& t = TheTables();
  return t.exp[static_cast<std::uint32_t>((std::uint64_t{t.log[a]} * e) % kOrder)];
}

std::uint16_t Inverse(std::uint16_t a) {
  const Tables& t = TheTables();
  return t.exp[(kOrder - t.log[a]) % kOrder];
}

std::uint16_t InputConstant(std::uint32_t index) {
  return TheTables().constants.at(index);
}

void MultiplyAddTables(std::uint16_t factor, const std::uint8_t* src, std::uint8_t* dst,
                       std::size_t bytes) {
  if (factor == 0) {
    return;
  }
  // The product of a word is the XOR of the products of its two bytes.
  std::array<std::uint16_t, 256> low{};
  std::array<std::uint16_t, 256> high{};
  for (std::uint16_t b = 0; b < 256; ++b) {
    low[b] = Multiply(factor, b);
    high[b] = Multiply(factor, static_cast<std::uint16_t>(b << 8));
  }
  for (std::size_t j = 0; j + 1 < bytes; j += 2) {
    const std::uint16_t product = low[src[j]] ^ high[src[j + 1]];
    dst[j] ^= static_cast<std::uint8_t>(product);
    dst[j + 1] ^= static_cast<std::uint8_t>(product >> 8);
  }
}

void MultiplyAdd(std::uint16_t factor, const std::uint8_t* src, std::uint8_t* dst,
                 std::size_t bytes) {
  if (factor == 1 && HasAvx2()) {  // exponent 0, and sums put together: a plain XOR
    XorAvx2(src, dst, bytes);
    return;
  }
  if (factor == 1) {
    std::size_t j = 0;
    for (; j + 8 <= bytes; j += 8) {
      std::uint64_t a = 0;
      std::uint64_t b = 0;
      std::memcpy(&a, src + j, 8);
      std::memcpy(&b, dst + j, 8);
      a ^= b;
      std::memcpy(dst + j, &a, 8);
    }
    for (; j < bytes; ++j) {
      dst[j] ^= src[j];
    }
    return;
  }
  static const auto path = HasGfni()   ? MultiplyAddGfni
                           : HasAvx2() ? MultiplyAddAvx2
                                       : MultiplyAddTables;
  path(factor, src, dst, bytes);
}

namespace {

// dst ^= factor * (low | high << 8): one word of a slice.
void AddWord(std::uint16_t factor, std::uint8_t low, std::uint8_t high, std::uint8_t* dst) {
  const std::uint16_t product = Multiply(factor, static_cast<std::uint16_t>(low | (high << 8)));
  dst[0] ^= static_cast<std::uint8_t>(product);
  dst[1] ^= static_cast<std::uint8_t>(product >> 8);
}

}  // namespace

void MultiplyAddAt(std::uint16_t factor, std::span<const std::uint8_t> bytes, std::uint64_t at,
                   std::uint8_t* slice) {
  if (bytes.empty()) {
    return;
  }
  if (at % 2 == 1) {
    AddWord(factor, 0, bytes[0], slice + at - 1);
    bytes = bytes.subspan(1);
    ++at;
  }
  const std::size_t even = bytes.size() & ~std::size_t{1};
  if (even > 0) {
    MultiplyAdd(factor, bytes.data(), slice + at, even);
  }
  if (even < bytes.size()) {
    AddWord(factor, bytes[even], 0, slice + at + even);
  }
}

}  // namespace kv::gf16
