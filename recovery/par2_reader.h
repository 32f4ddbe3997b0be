#pragma once
// Finding the packets in a PAR2 file, leniently: the magic is looked for byte
// by byte, so junk between packets is stepped over; a packet counts only when
// its length is sound (a multiple of 4, header included, inside the file) and
// its MD5 matches. Nothing is read past the file's end, and the bodies kept in
// memory are the small ones (critical packets); a recovery slice is only
// located.

#include <cstdint>
#include <map>
#include <vector>

#include "platform/positioned_file.h"
#include "recovery/par2_packets.h"

namespace kv::par2 {

// Bodies longer than this are not critical packets of a set we can use.
inline constexpr std::uint64_t kLargestKeptBody = 4 * 1024 * 1024;

struct FoundPacket {
  PacketHeader header;
  const ByteRange* source = nullptr;
  std::uint64_t offset = 0;  // of the header in `source`
  Bytes body;                // critical packets only; empty for recovery slices
};

struct ScanResult {
  std::vector<FoundPacket> packets;
  int rejected = 0;  // headers with a lying length or a bad MD5
};

// The packets already read, by MD5 (with their lengths): a volume repeats
// the critical packets, and a copy of one already kept is stepped over
// unread, so memory holds each packet once however many copies there are.
using KnownPackets = std::map<Md5Digest, std::uint64_t>;

// Every sound packet of `source` not known yet, in file order.
ScanResult ScanPackets(const ByteRange& source, KnownPackets& known);

}  // namespace kv::par2
