#include "recovery/par2_packets.h"

#include <algorithm>
#include <cstring>

namespace kv::par2 {

namespace {

constexpr std::array<std::uint8_t, 8> kMagic{'P', 'A', 'R', '2', 0, 'P', 'K', 'T'};
constexpr std::array<std::uint8_t, 8> kTypePrefix{'P', 'A', 'R', ' ', '2', '.', '0', 0};

struct TypeName {
  PacketType type;
  std::array<std::uint8_t, 8> name;
};
constexpr std::array<TypeName, 5> kTypeNames{{
    {PacketType::kMain, {'M', 'a', 'i', 'n', 0, 0, 0, 0}},
    {PacketType::kFileDescription, {'F', 'i', 'l', 'e', 'D', 'e', 's', 'c'}},
    {PacketType::kSliceChecksums, {'I', 'F', 'S', 'C', 0, 0, 0, 0}},
    {PacketType::kRecoverySlice, {'R', 'e', 'c', 'v', 'S', 'l', 'i', 'c'}},
    {PacketType::kCreator, {'C', 'r', 'e', 'a', 't', 'o', 'r', 0}},
}};

PacketType TypeOf(const std::uint8_t* bytes) {
  if (std::memcmp(bytes, kTypePrefix.data(), kTypePrefix.size()) != 0) {
    return PacketType::kOther;
  }
  for (const TypeName& t : kTypeNames) {
    if (std::memcmp(bytes + 8, t.name.data(), t.name.size()) == 0) {
      return t.type;
    }
  }
  return PacketType::kOther;
}

void PutBytes(Bytes& out, std::span<const std::uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void PutPadded(Bytes& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
  out.resize((out.size() + 3) / 4 * 4, 0);
}

}  // namespace

void PutU32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

void PutU64(Bytes& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

std::uint32_t GetU32(const std::uint8_t* p) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = (value << 8) | p[i];
  }
  return value;
}

std::uint64_t GetU64(const std::uint8_t* p) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) {
    value = (value << 8) | p[i];
  }
  return value;
}

bool ParseHeader(std::span<const std::uint8_t, kHeaderSize> bytes, PacketHeader& header) {
  if (std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0) {
    return false;
  }
  header.length = GetU64(bytes.data() + 8);
  std::memcpy(header.md5.data(), bytes.data() + 16, 16);
  std::memcpy(header.setId.data(), bytes.data() + 32, 16);
  header.type = TypeOf(bytes.data() + 48);
  return true;
}

std::array<std::uint8_t, 32> IdAndType(const Md5Digest& setId, PacketType type) {
  std::array<std::uint8_t, 32> out{};
  std::memcpy(out.data(), setId.data(), 16);
  std::memcpy(out.data() + 16, kTypePrefix.data(), 8);
  for (const TypeName& t : kTypeNames) {
    if (t.type == type) {
      std::memcpy(out.data() + 24, t.name.data(), 8);
    }
  }
  return out;
}

std::array<std::uint8_t, kHeaderSize> MakeHeader(std::uint64_t length, const Md5Digest& md5,
                                                 const Md5Digest& setId, PacketType type) {
  std::array<std::uint8_t, kHeaderSize> out{};
  std::memcpy(out.data(), kMagic.data(), 8);
  for (int i = 0; i < 8; ++i) {
    out[static_cast<std::size_t>(8 + i)] = static_cast<std::uint8_t>(length >> (8 * i));
  }
  std::memcpy(out.data() + 16, md5.data(), 16);
  const std::array<std::uint8_t, 32> idAndType = IdAndType(setId, type);
  std::memcpy(out.data() + 32, idAndType.data(), 32);
  return out;
}

Bytes MakePacket(const Md5Digest& setId, PacketType type, std::span<const std::uint8_t> body) {
  Md5 md5;
  md5.Update(IdAndType(setId, type));
  md5.Update(body);
  const auto header = MakeHeader(kHeaderSize + body.size(), md5.Finish(), setId, type);
  Bytes packet(header.begin(), header.end());
  PutBytes(packet, body);
  return packet;
}

Md5Digest FileId(const Md5Digest& md5First16k, std::uint64_t length, std::string_view name) {
  Bytes bytes(md5First16k.begin(), md5First16k.end());
  PutU64(bytes, length);
  bytes.insert(bytes.end(), name.begin(), name.end());
  return Md5Of(bytes);
}

bool IdBefore(const Md5Digest& a, const Md5Digest& b) {
  return std::lexicographical_compare(a.rbegin(), a.rend(), b.rbegin(), b.rend());
}

void SortIds(std::vector<Md5Digest>& ids) {
  std::sort(ids.begin(), ids.end(), IdBefore);
}

Bytes MainBody(std::uint64_t sliceSize, const std::vector<Md5Digest>& sortedIds) {
  Bytes body;
  PutU64(body, sliceSize);
  PutU32(body, static_cast<std::uint32_t>(sortedIds.size()));
  for (const Md5Digest& id : sortedIds) {
    PutBytes(body, id);
  }
  return body;
}

Bytes FileDescriptionBody(const FileEntry& file) {
  Bytes body;
  PutBytes(body, file.id);
  PutBytes(body, file.md5);
  PutBytes(body, file.md5First16k);
  PutU64(body, file.length);
  PutPadded(body, file.name);
  return body;
}

Bytes SliceChecksumsBody(const FileEntry& file) {
  Bytes body(file.id.begin(), file.id.end());
  for (const SliceCheck& slice : file.slices) {
    PutBytes(body, slice.md5);
    PutU32(body, slice.crc);
  }
  return body;
}

Bytes CreatorBody(std::string_view text) {
  Bytes body;
  PutPadded(body, text);
  return body;
}

}  // namespace kv::par2
