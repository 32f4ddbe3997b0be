#pragma once
// PAR2 packets: the 64-byte header (magic, length, MD5, set ID, type) and the
// bodies of the main, file description, slice checksum, recovery slice and
// creator packets, written exactly as par2cmdline writes them. Integers are
// little-endian; strings are padded with NULs to a multiple of 4.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "recovery/checksums.h"

namespace kv::par2 {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kHeaderSize = 64;
// A recovery packet: header, exponent, then the slice.
inline constexpr std::size_t kRecoveryPrefix = kHeaderSize + 4;
// What a file's first-bytes digest covers.
inline constexpr std::uint64_t kFirstBytes = 16384;

enum class PacketType {
  kMain,
  kFileDescription,
  kSliceChecksums,
  kRecoverySlice,
  kCreator,
  kOther
};

struct PacketHeader {
  std::uint64_t length = 0;  // the whole packet, header included
  Md5Digest md5{};           // of bytes [32, length)
  Md5Digest setId{};
  PacketType type = PacketType::kOther;
};

// Reads a header; false when the magic is not there.
bool ParseHeader(std::span<const std::uint8_t, kHeaderSize> bytes, PacketHeader& header);
// The 32 bytes at offset 32 of a packet (set ID and type), where its MD5 begins.
std::array<std::uint8_t, 32> IdAndType(const Md5Digest& setId, PacketType type);
// The whole header of a packet of `length` bytes whose MD5 is known.
std::array<std::uint8_t, kHeaderSize> MakeHeader(std::uint64_t length, const Md5Digest& md5,
                                                 const Md5Digest& setId, PacketType type);
// A whole packet around `body` (a multiple of 4 bytes).
Bytes MakePacket(const Md5Digest& setId, PacketType type, std::span<const std::uint8_t> body);

struct SliceCheck {
  Md5Digest md5{};
  std::uint32_t crc = 0;
};

// What a protected file contributes to a set.
struct FileEntry {
  Md5Digest id{};
  Md5Digest md5{};
  Md5Digest md5First16k{};
  std::uint64_t length = 0;
  std::string name;  // as stored: a name in the set's folder
  std::vector<SliceCheck> slices;
};

// MD5(first-bytes digest, length, name): a file's identity in every set.
Md5Digest FileId(const Md5Digest& md5First16k, std::uint64_t length, std::string_view name);
// The order of file IDs in a main packet: as little-endian 128-bit numbers, ascending.
bool IdBefore(const Md5Digest& a, const Md5Digest& b);
void SortIds(std::vector<Md5Digest>& ids);

Bytes MainBody(std::uint64_t sliceSize, const std::vector<Md5Digest>& sortedIds);
Bytes FileDescriptionBody(const FileEntry& file);
Bytes SliceChecksumsBody(const FileEntry& file);
Bytes CreatorBody(std::string_view text);

// Little-endian integers.
void PutU32(Bytes& out, std::uint32_t value);
void PutU64(Bytes& out, std::uint64_t value);
std::uint32_t GetU32(const std::uint8_t* p);
std::uint64_t GetU64(const std::uint8_t* p);

}  // namespace kv::par2
