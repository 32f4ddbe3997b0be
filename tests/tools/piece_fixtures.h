#pragma once
// Builds Type3 piece bytes for the check tests: header, body, checksum and
// the end tag of the trailer.

#include <cstdint>
#include <vector>

namespace kv::test {

// A first piece of a series of `sourceSize` bytes whose body is `body`;
// pieceLength 0 means header + body (a full piece).
std::vector<std::uint8_t> FirstPiece(const std::vector<std::uint8_t>& body, std::int64_t sourceSize,
                                     std::int64_t pieceLength = 0);
// The offset of ContentFlags in a first piece with a short source size.
inline constexpr std::size_t kFlagsOffset = 10;

// A following piece (number 2) whose body is `body`.
std::vector<std::uint8_t> NextPiece(const std::vector<std::uint8_t>& body);

// Bytes of filler that hold no marker.
std::vector<std::uint8_t> Filler(std::size_t size);

// a + b.
std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b);

}  // namespace kv::test
