#include "recovery/par2_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kv::par2 {

namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr std::array<std::uint8_t, 8> kMagic{'P', 'A', 'R', '2', 0, 'P', 'K', 'T'};

// The position of the next magic at or after `from`; Size() when none.
std::uint64_t FindMagic(const ByteRange& source, std::uint64_t from, Bytes& buffer) {
  const std::uint64_t size = source.Size();
  while (from + kMagic.size() <= size) {
    const std::size_t length =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - from));
    buffer.resize(length);
    if (!source.ReadAt(from, buffer)) {
      return size;
    }
    const auto found = std::search(buffer.begin(), buffer.end(), kMagic.begin(), kMagic.end());
    if (found != buffer.end()) {
      return from + static_cast<std::uint64_t>(found - buffer.begin());
    }
    if (length < kChunk) {
      return size;
    }
    from += length - (kMagic.size() - 1);  // a magic may straddle two chunks
  }
  return size;
}

bool KeepsBody(PacketType type) {
  return type != PacketType::kRecoverySlice && type != PacketType::kOther;
}

// Checks the packet at `offset` whose header is `header`: its MD5 over
// [32, length), read in chunks; the body of a critical packet is kept.
bool CheckPacket(const ByteRange& source, std::uint64_t offset,
                 const std::array<std::uint8_t, kHeaderSize>& headerBytes, FoundPacket& packet,
                 Bytes& buffer) {
  const std::uint64_t length = packet.header.length;
  if (length < kHeaderSize || length % 4 != 0 || length > source.Size() - offset) {
    return false;
  }
  const bool keep = KeepsBody(packet.header.type);
  if (keep && length - kHeaderSize > kLargestKeptBody) {
    return false;
  }
  Md5 md5;
  md5.Update(std::span(headerBytes).subspan(32));
  for (std::uint64_t at = offset + kHeaderSize; at < offset + length;) {
    const std::size_t step =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, offset + length - at));
    buffer.resize(step);
    if (!source.ReadAt(at, buffer)) {
      return false;
    }
    md5.Update(buffer);
    if (keep) {
      packet.body.insert(packet.body.end(), buffer.begin(), buffer.end());
    }
    at += step;
  }
  return md5.Finish() == packet.header.md5;
}

}  // namespace

ScanResult ScanPackets(const ByteRange& source, KnownPackets& known) {
  ScanResult result;
  Bytes buffer;
  std::uint64_t at = 0;
  while (true) {
    at = FindMagic(source, at, buffer);
    std::array<std::uint8_t, kHeaderSize> header{};
    if (at >= source.Size() || !source.ReadAt(at, header)) {
      return result;
    }
    FoundPacket packet;
    ParseHeader(header, packet.header);
    packet.source = &source;
    packet.offset = at;
    const auto copy = known.find(packet.header.md5);
    if (copy != known.end() && copy->second == packet.header.length &&
        packet.header.length <= source.Size() - at) {
      at += packet.header.length;
    } else if (CheckPacket(source, at, header, packet, buffer)) {
      known.emplace(packet.header.md5, packet.header.length);
      at += packet.header.length;
      if (packet.header.type != PacketType::kOther) {
        result.packets.push_back(std::move(packet));
      }
    } else {
      ++result.rejected;
      ++at;
    }
  }
}

}  // namespace kv::par2
