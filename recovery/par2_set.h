#pragma once
// A recovery set put together from the packets of its files: the first sound
// main packet fixes the set; packets of other sets are counted and left out,
// the first copy of a packet wins, and a packet that contradicts the main one
// (a checksum count that does not fit, a slice of another size, a name that
// would leave the folder) is left out as damaged.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "recovery/par2_packets.h"
#include "recovery/par2_reader.h"

namespace kv::par2 {

struct SetFile {
  FileEntry entry;               // id always; the rest once described
  bool described = false;        // a file description packet was found
  bool hasChecksums = false;     // and its slice checksums
  std::uint32_t firstSlice = 0;  // the set-wide index of its first slice
  std::uint32_t sliceCount = 0;
};

struct RecoveryRef {
  std::uint32_t exponent = 0;
  const ByteRange* source = nullptr;
  std::uint64_t dataOffset = 0;  // of the slice's first byte
};

struct RecoverySet {
  bool usable = false;  // a sound main packet was found
  Md5Digest setId{};
  std::uint64_t sliceSize = 0;
  std::vector<SetFile> files;  // in the main packet's order, which numbers the slices
  std::uint32_t totalSlices = 0;
  std::vector<RecoveryRef> recovery;  // distinct exponents, ascending
  std::string creator;
  int rejected = 0;  // unsound headers, bad MD5s and contradicting packets
  int foreign = 0;   // sound packets of another set
};

RecoverySet AssembleSet(const std::vector<ScanResult>& scans);

// A stored name the set may use for a file beside it: no folder part, not
// "." or "..", no control byte.
bool IsPlainFileName(std::string_view name);

}  // namespace kv::par2
