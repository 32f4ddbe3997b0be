#pragma once
// MD5 of several independent streams at once (a piece each), in the lanes of
// the processor's vectors: MD5 is sequential within a stream, so one stream
// cannot go faster than one core's scalar rate, but sixteen (AVX-512) or
// eight (AVX2) side by side do. Debian packages no multi-buffer MD5 (Intel's
// isa-l_crypto is not in the archive), so the lanes are our own, written from
// RFC 1321; libcrypto (kv::Md5) stays the single-stream hash and the
// portable path, and the tests hold every path to it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "recovery/checksums.h"

namespace kv::md5 {

enum class LanePath { kPortable, kAvx2, kAvx512 };
bool PathAvailable(LanePath path);
// The quickest path this processor offers.
LanePath BestPath();

// The kernels. `state` holds the A words of every lane, then the B, C and D
// words; data[l] is lane l's next `blocks` 64-byte blocks. A lane with
// nothing to hash may be given another lane's bytes: its words are scratch.
inline constexpr std::size_t kAvx2Lanes = 8;
inline constexpr std::size_t kAvx512Lanes = 16;
void BlocksAvx2(std::uint32_t* state, const std::uint8_t* const* data, std::size_t blocks);
void BlocksAvx512(std::uint32_t* state, const std::uint8_t* const* data, std::size_t blocks);
// One stream's blocks, for what the lanes leave over.
void BlocksOne(std::array<std::uint32_t, 4>& state, const std::uint8_t* data, std::size_t blocks);

class Md5Lanes {
 public:
  explicit Md5Lanes(std::size_t streams, LanePath path = BestPath());
  ~Md5Lanes();
  Md5Lanes(const Md5Lanes&) = delete;
  Md5Lanes& operator=(const Md5Lanes&) = delete;

  std::size_t Streams() const { return streams_; }
  // Adds chunks[i] to stream i (at most Streams() chunks; an empty one leaves
  // its stream as it is): the streams' whole blocks go through the lanes side
  // by side, as long as two or more have some left.
  void Update(std::span<const std::span<const std::uint8_t>> chunks);
  // The digest of a stream's bytes; the stream starts over.
  Md5Digest Finish(std::size_t stream);
  // The digest of a stream's bytes followed by `count` zero bytes, leaving
  // the stream as it is (a piece's digest and its padded slice's from one pass).
  Md5Digest DigestWithZeros(std::size_t stream, std::size_t count) const;

 private:
  struct Stream {
    std::array<std::uint32_t, 4> words;
    std::uint64_t length = 0;
    std::array<std::uint8_t, 64> pending{};  // the last length % 64 bytes
  };
  static std::span<const std::uint8_t> TopUp(Stream& stream, std::span<const std::uint8_t> bytes);
  static void UpdateOne(Stream& stream, std::span<const std::uint8_t> bytes);
  static Md5Digest Close(Stream stream);
  void UpdateGroup(std::size_t first, std::span<const std::span<const std::uint8_t>> chunks);
  void HashWholeBlocks(std::size_t first, std::span<std::span<const std::uint8_t>> rest);

  LanePath path_;
  std::size_t streams_;
  std::size_t width_;
  std::vector<Stream> own_;                    // the lane paths
  std::vector<std::unique_ptr<Md5>> library_;  // the portable path
};

}  // namespace kv::md5
