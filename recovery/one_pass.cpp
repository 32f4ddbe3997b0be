#include "recovery/one_pass.h"

#include <algorithm>
#include <array>

#include "recovery/gf16.h"
#include "recovery/md5_lanes.h"
#include "recovery/two_threads.h"

namespace kv::par2 {

namespace {

// A chunk of each file of a group at a time: sixteen of them stay in the
// processor's cache from their hashing to their last multiplication, and
// the sums they go into lie at the same place for all.
constexpr std::size_t kLaneChunk = 64 * 1024;
// The files a thread hashes side by side: the lanes of the widest path.
constexpr std::size_t kGroupFiles = 16;

enum Status : char { kUnread, kHashed, kFailed };

// sums[r] at `at` += factors[r] · chunk.
void AddChunk(std::span<const std::uint8_t> chunk, std::uint64_t at,
              const std::vector<std::uint16_t>& factors, std::vector<Bytes>& sums) {
  for (std::size_t r = 0; r < factors.size(); ++r) {
    gf16::MultiplyAddAt(factors[r], chunk, at, sums[r].data());
  }
}

// The files of one thread's group, a chunk of each at a time: their MD5s in
// lanes, then each chunk's CRC32 and products while it is in cache. A file
// that cannot be read is left out from there on (status kFailed).
class FileGroup {
 public:
  FileGroup(std::span<const OnePassInput> inputs, std::span<const std::uint32_t> exponents)
      : inputs_(inputs),
        lanes_(inputs.size()),
        buffers_(inputs.size()),
        chunks_(inputs.size()),
        crcs_(inputs.size(), 0),
        factors_(inputs.size()) {
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      longest_ = std::max(longest_, inputs[i].file->Size());
      buffers_[i].resize(
          static_cast<std::size_t>(std::min<std::uint64_t>(kLaneChunk, inputs[i].file->Size())));
      for (const std::uint32_t e : exponents) {
        factors_[i].push_back(gf16::Power(inputs[i].constant, e));
      }
    }
  }

  // False when a file cannot be read or a stop ends it.
  bool Run(std::uint64_t sliceSize, std::span<FileHashes> hashes, std::span<char> status,
           std::vector<Bytes>& sums, const StopCheck& stop) {
    for (std::uint64_t at = 0; at < longest_; at += kLaneChunk) {
      if (stop()) {
        return false;
      }
      ReadChunks(at, status);
      lanes_.Update(chunks_);
      for (std::size_t i = 0; i < inputs_.size(); ++i) {
        if (!chunks_[i].empty()) {
          if (at == 0 && chunks_[i].size() > kFirstBytes) {
            hashes[i].md5First16k = Md5Of(chunks_[i].first(kFirstBytes));
          }
          crcs_[i] = Crc32(crcs_[i], chunks_[i]);
          AddChunk(chunks_[i], at, factors_[i], sums);
        }
      }
    }
    for (std::size_t i = 0; i < inputs_.size(); ++i) {
      if (status[i] != kFailed) {
        Close(i, sliceSize, hashes[i]);
        status[i] = kHashed;
      }
    }
    return std::find(status.begin(), status.end(), kFailed) == status.end();
  }

 private:
  void ReadChunks(std::uint64_t at, std::span<char> status) {
    for (std::size_t i = 0; i < inputs_.size(); ++i) {
      const std::uint64_t size = inputs_[i].file->Size();
      chunks_[i] = {};
      if (status[i] == kFailed || at >= size) {
        continue;
      }
      const std::span<std::uint8_t> chunk =
          std::span(buffers_[i])
              .first(static_cast<std::size_t>(std::min<std::uint64_t>(kLaneChunk, size - at)));
      if (inputs_[i].file->ReadAt(at, chunk)) {
        chunks_[i] = chunk;
      } else {
        status[i] = kFailed;
      }
    }
  }

  // The file is one slice: its digest, padded, is the slice's.
  void Close(std::size_t i, std::uint64_t sliceSize, FileHashes& hashes) {
    const std::uint64_t size = inputs_[i].file->Size();
    const std::size_t padding = static_cast<std::size_t>(sliceSize - size);
    hashes.slices.clear();
    if (size > 0) {
      hashes.slices.push_back({lanes_.DigestWithZeros(i, padding), Crc32Zeros(crcs_[i], padding)});
    }
    hashes.md5 = lanes_.Finish(i);
    if (size <= kFirstBytes) {
      hashes.md5First16k = hashes.md5;
    }
  }

  std::span<const OnePassInput> inputs_;
  md5::Md5Lanes lanes_;
  std::vector<Bytes> buffers_;
  std::vector<std::span<const std::uint8_t>> chunks_;
  std::vector<std::uint32_t> crcs_;
  std::vector<std::vector<std::uint16_t>> factors_;
  std::uint64_t longest_ = 0;
};

// Groups of at most kGroupFiles, an even count of them so both threads have
// as many files.
std::size_t GroupCount(std::size_t files) {
  return std::min(files, 2 * ((files + 2 * kGroupFiles - 1) / (2 * kGroupFiles)));
}

}  // namespace

bool HashAndSum(std::span<const OnePassInput> inputs, std::span<const std::uint32_t> exponents,
                std::uint64_t sliceSize, std::vector<FileHashes>& hashes, std::vector<Bytes>& sums,
                std::size_t& failed, const StopCheck& stopAsked) {
  hashes.resize(inputs.size());
  // Each thread's sums are made where they are first needed, the two at once.
  std::array<std::vector<Bytes>, 2> threadSums;
  std::vector<char> status(inputs.size(), kUnread);
  const std::size_t groups = GroupCount(inputs.size());
  // A group runs to its end whatever befalls another, so the first file in
  // order that cannot be read is the one named.
  const bool done = ForEachOnTwoThreads(
      groups,
      [&](std::size_t g, unsigned thread, const StopCheck& stop) {
        std::vector<Bytes>& into = threadSums[thread];
        while (into.size() < exponents.size()) {
          into.emplace_back(static_cast<std::size_t>(sliceSize), 0);
        }
        const std::size_t from = g * inputs.size() / groups;
        const std::size_t count = (g + 1) * inputs.size() / groups - from;
        FileGroup group(inputs.subspan(from, count), exponents);
        return group.Run(sliceSize, std::span(hashes).subspan(from, count),
                         std::span(status).subspan(from, count), into, stop);
      },
      stopAsked);
  failed =
      static_cast<std::size_t>(std::find(status.begin(), status.end(), kFailed) - status.begin());
  if (!done || failed < inputs.size()) {
    return false;
  }
  const std::size_t first = threadSums[0].empty() ? 1 : 0;  // a thread may have had no input
  sums = std::move(threadSums[first]);
  const std::vector<Bytes>& other = threadSums[1 - first];
  while (sums.size() < exponents.size()) {  // no input at all
    sums.emplace_back(static_cast<std::size_t>(sliceSize), 0);
  }
  ForEachOnTwoThreads(other.size(), [&](std::size_t r, unsigned, const StopCheck&) {
    gf16::MultiplyAdd(1, other[r].data(), sums[r].data(), sums[r].size());
    return true;
  });
  return true;
}

}  // namespace kv::par2
