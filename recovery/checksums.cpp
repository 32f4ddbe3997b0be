#include "recovery/checksums.h"

#include "recovery/crc32_clmul.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <new>

namespace kv {

namespace {

constexpr std::array<std::uint8_t, 4096> kZeros{};

}  // namespace

Md5::Md5() : context_(EVP_MD_CTX_new()) {
  if (context_ == nullptr || EVP_DigestInit_ex(context_, EVP_md5(), nullptr) != 1) {
    throw std::bad_alloc();
  }
}

Md5::~Md5() {
  EVP_MD_CTX_free(context_);
}

void Md5::Update(std::span<const std::uint8_t> bytes) {
  EVP_DigestUpdate(context_, bytes.data(), bytes.size());
}

void Md5::UpdateZeros(std::size_t count) {
  while (count > 0) {
    const std::size_t step = std::min(count, kZeros.size());
    Update(std::span(kZeros.data(), step));
    count -= step;
  }
}

Md5Digest Md5::Finish() {
  Md5Digest digest{};
  EVP_DigestFinal_ex(context_, digest.data(), nullptr);
  EVP_DigestInit_ex(context_, EVP_md5(), nullptr);
  return digest;
}

Md5Digest Md5::DigestWithZeros(std::size_t count) const {
  Md5 copy;
  if (EVP_MD_CTX_copy_ex(copy.context_, context_) != 1) {
    throw std::bad_alloc();
  }
  copy.UpdateZeros(count);
  return copy.Finish();
}

Md5Digest Md5Of(std::span<const std::uint8_t> bytes) {
  Md5 md5;
  md5.Update(bytes);
  return md5.Finish();
}

std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> bytes) {
  static const bool folded = HasCrc32Clmul();
  const std::size_t blocks = bytes.size() / 16;
  if (folded && blocks >= 4) {
    crc = ~FoldCrc32Clmul(~crc, bytes.data(), blocks);
    bytes = bytes.subspan(blocks * 16);
  }
  uLong value = crc;
  const std::uint8_t* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {  // zlib takes at most an uInt at a time
    const std::size_t step = std::min<std::size_t>(left, 1U << 30);
    value = crc32(value, p, static_cast<uInt>(step));
    p += step;
    left -= step;
  }
  return static_cast<std::uint32_t>(value);
}

std::uint32_t Crc32Zeros(std::uint32_t crc, std::size_t count) {
  while (count > 0) {
    const std::size_t step = std::min(count, kZeros.size());
    crc = Crc32(crc, std::span(kZeros.data(), step));
    count -= step;
  }
  return crc;
}

}  // namespace kv
