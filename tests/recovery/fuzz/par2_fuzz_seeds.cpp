#include "tests/recovery/fuzz/par2_fuzz_seeds.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "recovery/par2_packets.h"
#include "recovery/recovery_writer.h"

namespace kv::test {

namespace {

using par2::Bytes;

Bytes ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A set over files of `lengths` bytes in `folder`: its files joined, index first.
Bytes RealSet(const std::string& folder, const std::string& setName,
              const std::vector<std::size_t> lengths, std::uint64_t sliceSize,
              std::uint32_t recovery) {
  par2::RecoveryRequest request{folder + "/", {}, setName, sliceSize, recovery};
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    request.names.push_back(setName + ".d0" + std::to_string(i + 1));
    std::ofstream out(folder + "/" + request.names.back(), std::ios::binary);
    for (std::size_t k = 0; k < lengths[i]; ++k) {
      out.put(static_cast<char>((k * 7 + i * 13) % 251));
    }
  }
  Bytes joined;
  for (const std::string& name : par2::WriteRecoveryFiles(request).written) {
    const Bytes file = ReadWhole(folder + "/" + name);
    joined.insert(joined.end(), file.begin(), file.end());
  }
  return joined;
}

// Where each packet of a sound file starts.
std::vector<std::size_t> PacketStarts(const Bytes& file) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at + par2::kHeaderSize <= file.size();) {
    starts.push_back(at);
    at += static_cast<std::size_t>(par2::GetU64(file.data() + at + 8));
  }
  return starts;
}

void PutLength(Bytes& file, std::size_t packetAt, std::uint64_t length) {
  for (std::size_t i = 0; i < 8; ++i) {
    file[packetAt + 8 + i] = static_cast<std::uint8_t>(length >> (8 * i));
  }
}

// Every packet's length told wrong in turn, and every packet's body spoilt.
void AddLiesAndBadDigests(const std::string& name, const Bytes& set, std::vector<Seed>& seeds) {
  const std::vector<std::uint64_t> lies = {0, 60, 63, 64, 4, std::uint64_t{1} << 63};
  const std::vector<std::size_t> starts = PacketStarts(set);
  for (std::size_t p = 0; p < starts.size(); ++p) {
    const std::uint64_t length = par2::GetU64(set.data() + starts[p] + 8);
    for (const std::uint64_t lie : lies) {
      Bytes lying = set;
      PutLength(lying, starts[p], lie == 4 ? length + 4 : lie);
      seeds.push_back({name + " packet " + std::to_string(p) + " length " + std::to_string(lie),
                       std::move(lying)});
    }
    Bytes spoilt = set;
    spoilt[starts[p] + length - 1] ^= 0x5A;
    seeds.push_back({name + " packet " + std::to_string(p) + " bad MD5", std::move(spoilt)});
  }
}

Bytes Joined(std::initializer_list<const Bytes*> parts) {
  Bytes joined;
  for (const Bytes* part : parts) {
    joined.insert(joined.end(), part->begin(), part->end());
  }
  return joined;
}

// Sound packets that contradict the set: the first description claiming a
// length at the top of the field, with slice checksums for no slice, put
// before the set so they are the copies that count.
Bytes TopLengthDescription(const Bytes& set) {
  const std::vector<std::size_t> starts = PacketStarts(set);
  const std::size_t at = starts.at(1);  // the main packet comes first
  const std::size_t length = static_cast<std::size_t>(par2::GetU64(set.data() + at + 8));
  Md5Digest setId{};
  std::copy_n(set.begin() + static_cast<std::ptrdiff_t>(at + 32), 16, setId.begin());
  Bytes body(set.begin() + static_cast<std::ptrdiff_t>(at + par2::kHeaderSize),
             set.begin() + static_cast<std::ptrdiff_t>(at + length));
  std::fill_n(body.begin() + 48, 8, 0xFF);
  Bytes joined = par2::MakePacket(setId, par2::PacketType::kFileDescription, body);
  body.resize(16);  // the file ID alone
  const Bytes checksums = par2::MakePacket(setId, par2::PacketType::kSliceChecksums, body);
  joined.insert(joined.end(), checksums.begin(), checksums.end());
  joined.insert(joined.end(), set.begin(), set.end());
  return joined;
}

}  // namespace

std::vector<Seed> MakePar2Seeds(const std::string& scratchFolder) {
  const Bytes small = RealSet(scratchFolder, "a", {3000, 100, 2048}, 1024, 3);
  const Bytes oneByte = RealSet(scratchFolder, "b", {1}, 4, 1);
  const Bytes indexOnly = RealSet(scratchFolder, "c", {17, 5}, 8, 0);
  std::vector<Seed> seeds = {
      {"three files", small},
      {"one byte", oneByte},
      {"index alone", indexOnly},
      {"empty", {}},
      {"duplicates", Joined({&small, &small})},
      {"a foreign set after ours", Joined({&small, &oneByte})},
      {"a foreign set first", Joined({&indexOnly, &small})},
      {"cut in half",
       Bytes(small.begin(), small.begin() + static_cast<std::ptrdiff_t>(small.size() / 2))}};
  Bytes junk = {1, 2, 3};
  seeds.push_back({"junk before and between", Joined({&junk, &oneByte, &junk, &indexOnly})});
  seeds.push_back({"a length at the top of the field", TopLengthDescription(small)});
  AddLiesAndBadDigests("three files", small, seeds);
  AddLiesAndBadDigests("one byte", oneByte, seeds);
  return seeds;
}

}  // namespace kv::test
