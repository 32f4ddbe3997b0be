// The fuzz target over the PAR2 packet reader and the set put together from
// what it found: any bytes, read as one recovery file and as two (the same
// bytes cut in the middle, sharing what was seen), must be read within their
// bounds, and what the set keeps must agree with itself. A disagreement
// aborts, so the fuzzer and the corpus run both report it.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "recovery/gf16.h"
#include "recovery/par2_reader.h"
#include "recovery/par2_set.h"

namespace {

using namespace kv;

void Require(bool holds) {
  if (!holds) {
    std::abort();
  }
}

void CheckScan(const par2::ScanResult& scan, const ByteRange& source) {
  for (const par2::FoundPacket& p : scan.packets) {
    Require(p.source == &source && p.offset <= source.Size());
    Require(p.header.length >= par2::kHeaderSize && p.header.length % 4 == 0);
    Require(p.header.length <= source.Size() - p.offset);
    Require(p.body.empty() || p.body.size() == p.header.length - par2::kHeaderSize);
  }
}

void CheckSet(const par2::RecoverySet& set) {
  if (!set.usable) {
    return;
  }
  Require(set.sliceSize > 0 && set.sliceSize % 4 == 0);
  Require(set.files.size() <= gf16::kMaxInputSlices && set.totalSlices <= gf16::kMaxInputSlices);
  // The slices are numbered once every file is described.
  const bool numbered = std::all_of(set.files.begin(), set.files.end(),
                                    [](const par2::SetFile& f) { return f.described; });
  std::uint64_t slices = 0;
  for (const par2::SetFile& file : set.files) {
    if (!file.described) {
      continue;
    }
    Require(par2::IsPlainFileName(file.entry.name));
    const std::uint64_t count =
        file.entry.length / set.sliceSize + (file.entry.length % set.sliceSize != 0 ? 1 : 0);
    Require(!numbered || (file.sliceCount == count && file.firstSlice == slices));
    Require(!file.hasChecksums || file.entry.slices.size() == count);
    slices += count;
  }
  for (std::size_t r = 0; r < set.recovery.size(); ++r) {
    const par2::RecoveryRef& ref = set.recovery[r];
    Require(ref.exponent < 65535 && (r == 0 || set.recovery[r - 1].exponent < ref.exponent));
    Require(ref.dataOffset <= ref.source->Size() &&
            set.sliceSize <= ref.source->Size() - ref.dataOffset);
  }
}

void ReadAsFiles(const std::vector<std::span<const std::uint8_t>>& files) {
  std::vector<MemoryRange> ranges(files.begin(), files.end());
  par2::KnownPackets known;
  std::vector<par2::ScanResult> scans;
  for (const MemoryRange& range : ranges) {
    scans.push_back(par2::ScanPackets(range, known));
    CheckScan(scans.back(), range);
  }
  CheckSet(par2::AssembleSet(scans));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  ReadAsFiles({bytes});
  ReadAsFiles({bytes.first(size / 2), bytes.subspan(size / 2)});
  return 0;
}
