#pragma once
// The checksums of PAR2: MD5 (libcrypto) and the zlib CRC32.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

struct evp_md_ctx_st;

namespace kv {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
 public:
  Md5();
  ~Md5();
  Md5(const Md5&) = delete;
  Md5& operator=(const Md5&) = delete;
  void Update(std::span<const std::uint8_t> bytes);
  // Adds `count` zero bytes (a short last slice's padding).
  void UpdateZeros(std::size_t count);
  // The digest of everything added; the object starts over afterwards.
  Md5Digest Finish();
  // The digest of everything added followed by `count` zero bytes, leaving
  // this hash as it is (a file's digest and its one padded slice's from one pass).
  Md5Digest DigestWithZeros(std::size_t count) const;

 private:
  evp_md_ctx_st* context_;
};

Md5Digest Md5Of(std::span<const std::uint8_t> bytes);

// Folds `bytes` into a CRC32 (start with 0).
std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> bytes);
std::uint32_t Crc32Zeros(std::uint32_t crc, std::size_t count);

}  // namespace kv
