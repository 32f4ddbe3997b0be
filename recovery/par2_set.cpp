#include "recovery/par2_set.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "recovery/gf16.h"

namespace kv::par2 {

namespace {

Md5Digest DigestAt(const std::uint8_t* p) {
  Md5Digest d{};
  std::memcpy(d.data(), p, d.size());
  return d;
}

// The first sound main packet; false when there is none.
bool ReadMain(const std::vector<ScanResult>& scans, RecoverySet& set) {
  for (const ScanResult& scan : scans) {
    for (const FoundPacket& p : scan.packets) {
      const Bytes& b = p.body;
      if (p.header.type != PacketType::kMain || b.size() < 12 || (b.size() - 12) % 16 != 0) {
        continue;
      }
      const std::uint64_t sliceSize = GetU64(b.data());
      const std::uint32_t count = GetU32(b.data() + 8);
      if (sliceSize == 0 || sliceSize % 4 != 0 || count > (b.size() - 12) / 16 ||
          count > gf16::kMaxInputSlices) {
        continue;
      }
      std::set<Md5Digest> seen;
      set.files.clear();
      for (std::uint32_t i = 0; i < count; ++i) {
        SetFile file;
        file.entry.id = DigestAt(b.data() + 12 + 16 * i);
        if (!seen.insert(file.entry.id).second) {
          break;  // a file listed twice would be counted twice
        }
        set.files.push_back(file);
      }
      if (set.files.size() != count) {
        continue;
      }
      set.setId = p.header.setId;
      set.sliceSize = sliceSize;
      return true;
    }
  }
  return false;
}

// Slices of a file of `length` bytes; a length near the top of the field
// (as a damaged packet may give) does not wrap round to few.
std::uint64_t SlicesOf(std::uint64_t length, std::uint64_t sliceSize) {
  return length / sliceSize + (length % sliceSize != 0 ? 1 : 0);
}

bool ReadDescription(const Bytes& b, FileEntry& entry) {
  if (b.size() < 56) {
    return false;
  }
  entry.md5 = DigestAt(b.data() + 16);
  entry.md5First16k = DigestAt(b.data() + 32);
  entry.length = GetU64(b.data() + 48);
  std::string name(b.begin() + 56, b.end());
  name.erase(name.find_last_not_of('\0') + 1);
  entry.name = std::move(name);
  return IsPlainFileName(entry.name);
}

bool ReadChecksums(const Bytes& b, std::uint64_t sliceSize, FileEntry& entry) {
  const std::uint64_t expected = SlicesOf(entry.length, sliceSize);
  if (b.size() < 16 || (b.size() - 16) % 20 != 0 || (b.size() - 16) / 20 != expected) {
    return false;
  }
  entry.slices.resize(static_cast<std::size_t>(expected));
  for (std::size_t k = 0; k < entry.slices.size(); ++k) {
    const std::uint8_t* p = b.data() + 16 + 20 * k;
    entry.slices[k] = {DigestAt(p), GetU32(p + 16)};
  }
  return true;
}

// The set's files by ID: a packet finds its file at once, however many there are.
using FileIndex = std::map<Md5Digest, std::size_t>;

FileIndex IndexFiles(const RecoverySet& set) {
  FileIndex index;
  for (std::size_t i = 0; i < set.files.size(); ++i) {
    index.emplace(set.files[i].entry.id, i);
  }
  return index;
}

SetFile* FileOf(RecoverySet& set, const FileIndex& index, const Bytes& body) {
  if (body.size() < 16) {
    return nullptr;
  }
  const auto found = index.find(DigestAt(body.data()));
  return found == index.end() ? nullptr : &set.files[found->second];
}

// One packet of the set; false when it contradicts the main packet.
bool TakePacket(const FoundPacket& p, RecoverySet& set, const FileIndex& index,
                std::map<std::uint32_t, RecoveryRef>& recovery) {
  switch (p.header.type) {
    case PacketType::kFileDescription: {
      SetFile* file = FileOf(set, index, p.body);
      if (file == nullptr || file->described) {
        return file != nullptr;  // a second copy is no fault
      }
      file->described = ReadDescription(p.body, file->entry);
      return file->described;
    }
    case PacketType::kRecoverySlice: {
      if (p.header.length != kRecoveryPrefix + set.sliceSize) {
        return false;
      }
      std::array<std::uint8_t, 4> exponent{};
      if (!p.source->ReadAt(p.offset + kHeaderSize, exponent) || GetU32(exponent.data()) >= 65535) {
        return false;
      }
      const std::uint32_t e = GetU32(exponent.data());
      recovery.try_emplace(e, RecoveryRef{e, p.source, p.offset + kRecoveryPrefix});
      return true;
    }
    case PacketType::kCreator:
      if (set.creator.empty()) {
        set.creator.assign(p.body.begin(), p.body.end());
        set.creator.erase(set.creator.find_last_not_of('\0') + 1);
      }
      return true;
    default:
      return true;
  }
}

// Slice checksums wait for the descriptions, whose lengths give their counts.
void TakeChecksums(const std::vector<ScanResult>& scans, const FileIndex& index, RecoverySet& set) {
  for (const ScanResult& scan : scans) {
    for (const FoundPacket& p : scan.packets) {
      if (p.header.type != PacketType::kSliceChecksums || p.header.setId != set.setId) {
        continue;
      }
      SetFile* file = FileOf(set, index, p.body);
      if (file == nullptr || !file->described || file->hasChecksums) {
        continue;
      }
      file->hasChecksums = ReadChecksums(p.body, set.sliceSize, file->entry);
      set.rejected += file->hasChecksums ? 0 : 1;
    }
  }
}

// Numbers the slices; false when the files hold more than the field allows.
bool NumberSlices(RecoverySet& set) {
  std::uint64_t next = 0;
  for (SetFile& file : set.files) {
    const std::uint64_t count = SlicesOf(file.entry.length, set.sliceSize);
    if (!file.described) {
      return true;  // a repair refuses the set before it counts slices
    }
    if (next + count > gf16::kMaxInputSlices) {
      return false;
    }
    file.firstSlice = static_cast<std::uint32_t>(next);
    file.sliceCount = static_cast<std::uint32_t>(count);
    next += count;
  }
  set.totalSlices = static_cast<std::uint32_t>(next);
  return true;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") {
    return false;
  }
  return std::none_of(name.begin(), name.end(), [](char c) {
    return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32;
  });
}

RecoverySet AssembleSet(const std::vector<ScanResult>& scans) {
  RecoverySet set;
  for (const ScanResult& scan : scans) {
    set.rejected += scan.rejected;
  }
  if (!ReadMain(scans, set)) {
    return set;
  }
  const FileIndex index = IndexFiles(set);
  std::map<std::uint32_t, RecoveryRef> recovery;
  for (const ScanResult& scan : scans) {
    for (const FoundPacket& p : scan.packets) {
      if (p.header.setId != set.setId) {
        ++set.foreign;
      } else if (!TakePacket(p, set, index, recovery)) {
        ++set.rejected;
      }
    }
  }
  TakeChecksums(scans, index, set);
  set.usable = NumberSlices(set);
  for (const auto& [exponent, ref] : recovery) {
    set.recovery.push_back(ref);
  }
  return set;
}

}  // namespace kv::par2
