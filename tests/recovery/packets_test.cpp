// PAR2 names and packets: par2cmdline's file naming, the ID order, and a
// table of hostile packets the reader must refuse without reading past them.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include "recovery/par2_reader.h"
#include "recovery/par2_set.h"
#include "recovery/protect_series.h"
#include "recovery/recovery_writer.h"
#include "recovery/series_pieces.h"
#include "tests/recovery/recovery_test_files.h"

namespace kv::test {
namespace {

using par2::Bytes;

TEST(Par2Names, SetNamesAndVolumeNames) {
  const std::pair<std::string, std::string> sets[] = {
      {"report.d01", "report"},      {"report.exe", "report"}, {"data.001", "data"},
      {"data.x00", "data"},          {"a.b.d01", "a.b"},       {"data.par2", "data"},
      {"data.vol03+4.par2", "data"}, {"x.vol1-2.PAR2", "x"},   {"x.volume.par2", "x.volume"},
  };
  for (const auto& [file, set] : sets) {
    EXPECT_EQ(SetNameOf(file), set) << file;
  }
  // Seen from par2 create -c10, -c100 and -c1.
  EXPECT_EQ(par2::VolumeCounts(10), (std::vector<std::uint32_t>{1, 2, 4, 3}));
  EXPECT_EQ(par2::VolumeCounts(100), (std::vector<std::uint32_t>{1, 2, 4, 8, 16, 32, 37}));
  EXPECT_EQ(par2::VolumeCounts(4), (std::vector<std::uint32_t>{1, 2, 1}));
  EXPECT_EQ(par2::VolumeCounts(0), std::vector<std::uint32_t>{});
  EXPECT_EQ(VolumeFileName("r", 7, 3, 2, 1), "r.vol07+3.par2");
  EXPECT_EQ(VolumeFileName("r", 0, 1, 3, 2), "r.vol000+01.par2");
}

TEST(Par2Names, SeriesPiecesByName) {
  const TempDir dir;
  for (const char* name : {"a.000", "a.001", "a.002", "a.004", "b.x01", "b.x02", "c.exe", "c.d02",
                           "c.d03", "d.d01", "d.d02", "e.txt"}) {
    WriteFileBytes(dir / name, {1});
  }
  std::filesystem::create_directory(dir / "d.d03");  // a folder is no piece
  const std::pair<const char*, std::vector<std::string>> series[] = {
      {"a.000", {"a.000", "a.001", "a.002"}},  // the gap ends the series
      {"b.x01", {"b.x01", "b.x02"}},
      {"c.exe", {"c.exe", "c.d02", "c.d03"}},
      {"d.d01", {"d.d01", "d.d02"}},
  };
  for (const auto& [first, names] : series) {
    SeriesPieces pieces;
    ASSERT_TRUE(FindSeriesPieces(dir / first, pieces)) << first;
    EXPECT_EQ(pieces.names, names) << first;
    EXPECT_EQ(pieces.folder, dir.Path().string() + "/");
  }
  SeriesPieces pieces;
  EXPECT_FALSE(FindSeriesPieces(dir / "e.txt", pieces));
  EXPECT_EQ(par2::SliceSizeForPieces({10000, 10001, 3}), 10004u);
  EXPECT_EQ(par2::SliceSizeForPieces({8, 4}), 8u);
  EXPECT_EQ(par2::SliceSizeForPieces({8, 0}), 0u);
}

TEST(Par2Packets, IdsSortAsLittleEndianNumbers) {
  std::vector<Md5Digest> ids(3);
  ids[0][15] = 0x94;  // largest: its top byte is highest
  ids[1][15] = 0x69;
  ids[1][0] = 0xFF;
  ids[2][14] = 0xA3;  // smallest: top byte 0
  par2::SortIds(ids);
  EXPECT_EQ(ids[0][14], 0xA3);
  EXPECT_EQ(ids[1][15], 0x69);
  EXPECT_EQ(ids[2][15], 0x94);
}

TEST(Par2Packets, HeaderLayout) {
  const Bytes body = {1, 2, 3, 4};
  const Bytes packet = par2::MakePacket(Md5Digest{}, par2::PacketType::kMain, body);
  ASSERT_EQ(packet.size(), 68u);
  const Bytes start(packet.begin(), packet.begin() + 16);
  EXPECT_EQ(start, (Bytes{'P', 'A', 'R', '2', 0, 'P', 'K', 'T', 68, 0, 0, 0, 0, 0, 0, 0}));
  const std::string type(packet.begin() + 48, packet.begin() + 64);
  EXPECT_EQ(type, std::string("PAR 2.0\0Main\0\0\0\0", 16));
  Md5Digest md5{};
  std::copy(packet.begin() + 16, packet.begin() + 32, md5.begin());
  EXPECT_EQ(md5, Md5Of(std::span(packet).subspan(32)));
}

// A sound set of three files: its index and a volume with 2 recovery slices.
struct SoundSet {
  TempDir dir;
  Bytes index;
  Bytes volume;
  SoundSet() {
    WriteProtectedFiles(dir, {3000, 100, 2048}, 1024, 3);
    index = ReadFileBytes(dir / "s.par2");
    volume = ReadFileBytes(dir / "s.vol1+2.par2");
  }
};

Bytes Packet(par2::PacketType type, const Bytes& body, const Md5Digest& setId) {
  return par2::MakePacket(setId, type, body);
}

Md5Digest SetIdOf(const Bytes& file) {
  Md5Digest id{};
  std::copy(file.begin() + 32, file.begin() + 48, id.begin());
  return id;
}

void PutLength(Bytes& file, std::size_t packetAt, std::uint64_t length) {
  for (std::size_t i = 0; i < 8; ++i) {
    file[packetAt + 8 + i] = static_cast<std::uint8_t>(length >> (8 * i));
  }
}

struct Expected {
  bool usable;
  int described;
  int checksums;
  std::size_t recovery;
};

struct Counts {
  Expected seen;
  par2::RecoverySet set;
};

Counts Read(const std::vector<Bytes>& files) {
  std::vector<MemoryRange> ranges;
  ranges.reserve(files.size());
  std::vector<par2::ScanResult> scans;
  par2::KnownPackets known;
  for (const Bytes& f : files) {
    ranges.emplace_back(f);
    scans.push_back(par2::ScanPackets(ranges.back(), known));
  }
  Counts c{{false, 0, 0, 0}, par2::AssembleSet(scans)};
  c.seen.usable = c.set.usable;
  for (const par2::SetFile& f : c.set.files) {
    c.seen.described += f.described ? 1 : 0;
    c.seen.checksums += f.hasChecksums ? 1 : 0;
  }
  c.seen.recovery = c.set.recovery.size();
  return c;
}

TEST(Par2Reader, HostilePacketsAreRefused) {
  const SoundSet sound;
  const std::size_t mainLength = 12 + 3 * 16 + 64;
  const std::size_t firstDescription = mainLength;
  const Md5Digest setId = SetIdOf(sound.index);
  // Crafted packets, each with a sound MD5 but contradicting the set.
  Bytes twice(sound.index.begin() + 64, sound.index.begin() + mainLength);
  std::copy(twice.begin() + 12, twice.begin() + 28, twice.begin() + 28);  // a file listed twice
  Bytes odd(sound.index.begin() + 64, sound.index.begin() + mainLength);
  odd[0] = 2;  // a slice size not a multiple of 4
  Bytes escaping(sound.index.begin() + firstDescription + 64,
                 sound.index.begin() + firstDescription + 64 + 56);
  for (const char c : std::string("../x")) {
    escaping.push_back(static_cast<std::uint8_t>(c));
  }
  Bytes wrongSize = {1, 0, 0, 0};
  wrongSize.resize(4 + 1028);
  Bytes badExponent = {0xFF, 0xFF, 0, 0};
  badExponent.resize(4 + 1024);

  struct Case {
    const char* name;
    std::function<std::vector<Bytes>(Bytes index, Bytes volume)> files;
    Expected expected;
  };
  const Case cases[] = {
      {"sound",
       [](Bytes i, Bytes v) {
         return std::vector<Bytes>{i, v};
       },
       {true, 3, 3, 2}},
      {"main longer than the file",
       [](Bytes i, Bytes) {
         PutLength(i, 0, std::uint64_t{1} << 63);
         return std::vector<Bytes>{i};
       },
       {false, 0, 0, 0}},
      {"main length without header",
       [](Bytes i, Bytes) {
         PutLength(i, 0, 60);
         return std::vector<Bytes>{i};
       },
       {false, 0, 0, 0}},
      {"main length not a multiple of 4",
       [](Bytes i, Bytes) {
         PutLength(i, 0, 126);
         return std::vector<Bytes>{i};
       },
       {false, 0, 0, 0}},
      {"main length short by 4",
       [](Bytes i, Bytes) {
         PutLength(i, 0, 120);
         return std::vector<Bytes>{i};
       },
       {false, 0, 0, 0}},
      {"bad MD5 on a description",
       [&](Bytes i, Bytes) {
         i[firstDescription + 100] ^= 1;
         return std::vector<Bytes>{i};
       },
       {true, 2, 2, 0}},
      {"bad MD5 on a slice checksum packet",
       [](Bytes i, Bytes) {
         i[i.size() - 200] ^= 1;
         return std::vector<Bytes>{i};
       },
       {true, 3, 2, 0}},
      {"cut in its last packets",
       [](Bytes i, Bytes) {
         i.resize(i.size() - 150);
         return std::vector<Bytes>{i};
       },
       {true, 3, 2, 0}},
      {"junk between packets",
       [&](Bytes i, Bytes) {
         i.insert(i.begin() + firstDescription, {'P', 'A', 'R'});
         return std::vector<Bytes>{i};
       },
       {true, 3, 3, 0}},
      {"duplicates",
       [](Bytes i, Bytes v) {
         return std::vector<Bytes>{i, i, v, v, i};
       },
       {true, 3, 3, 2}},
      {"a foreign set after ours",
       [](Bytes i, Bytes) {
         const TempDir other;
         WriteProtectedFiles(other, {10, 20}, 1024, 1);
         return std::vector<Bytes>{i, ReadFileBytes(other / "s.vol0+1.par2")};
       },
       {true, 3, 3, 0}},
      {"a file listed twice",
       [&](Bytes, Bytes) {
         return std::vector<Bytes>{Packet(par2::PacketType::kMain, twice, setId)};
       },
       {false, 0, 0, 0}},
      {"slice size not a multiple of 4",
       [&](Bytes, Bytes) {
         return std::vector<Bytes>{Packet(par2::PacketType::kMain, odd, setId)};
       },
       {false, 0, 0, 0}},
      {"a name leaving the folder",
       [&](Bytes i, Bytes) {
         Bytes crafted = Packet(par2::PacketType::kFileDescription, escaping, setId);
         crafted.insert(crafted.end(), i.begin() + mainLength + 128,
                        i.end());  // in place of the sound one
         crafted.insert(crafted.begin(), i.begin(), i.begin() + mainLength);
         return std::vector<Bytes>{crafted};
       },
       {true, 2, 2, 0}},
      {"recovery slices of the wrong size or exponent",
       [&](Bytes i, Bytes) {
         return std::vector<Bytes>{i, Packet(par2::PacketType::kRecoverySlice, wrongSize, setId),
                                   Packet(par2::PacketType::kRecoverySlice, badExponent, setId)};
       },
       {true, 3, 3, 0}},
  };
  for (const Case& c : cases) {
    const Counts counts = Read(c.files(sound.index, sound.volume));
    EXPECT_EQ(counts.seen.usable, c.expected.usable) << c.name;
    EXPECT_EQ(counts.seen.described, c.expected.described) << c.name;
    EXPECT_EQ(counts.seen.checksums, c.expected.checksums) << c.name;
    EXPECT_EQ(counts.seen.recovery, c.expected.recovery) << c.name;
  }
}

TEST(Par2Reader, CopiesOfAPacketAreKeptOnce) {
  const SoundSet sound;
  const MemoryRange index(sound.index);
  const MemoryRange volume(sound.volume);
  par2::KnownPackets known;
  // Main, 3 descriptions, 3 checksum packets, the creator.
  EXPECT_EQ(par2::ScanPackets(index, known).packets.size(), 8u);
  // Only the 2 recovery slices are new: the volume's critical packets are copies.
  const par2::ScanResult scan = par2::ScanPackets(volume, known);
  ASSERT_EQ(scan.packets.size(), 2u);
  EXPECT_EQ(scan.packets[0].header.type, par2::PacketType::kRecoverySlice);
  EXPECT_EQ(scan.packets[1].header.type, par2::PacketType::kRecoverySlice);
}

TEST(Par2Reader, EveryCutOfASetIsReadWithinItsBounds) {
  const SoundSet sound;
  for (std::size_t length = 0; length <= sound.volume.size(); length += 7) {
    const Bytes cut(sound.volume.begin(),
                    sound.volume.begin() + static_cast<std::ptrdiff_t>(length));
    const Counts counts = Read({cut});
    EXPECT_LE(counts.seen.recovery, 2u);
    EXPECT_EQ(counts.seen.usable, length >= 68 + 1024 + 124 + 0) << length;
  }
}

// Random damage to a sound set: whatever the reader keeps stays inside what
// it was given and agrees with the main packet.
TEST(Par2Reader, RandomDamageKeepsWhatIsKeptConsistent) {
  const SoundSet sound;
  Bytes seed = sound.index;
  seed.insert(seed.end(), sound.volume.begin(), sound.volume.end());
  std::mt19937 random(21);
  for (int round = 0; round < 300; ++round) {
    Bytes damaged = seed;
    const int changes = 1 + round % 8;
    for (int k = 0; k < changes; ++k) {
      damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
    }
    damaged.resize(damaged.size() - random() % 64);
    const Counts counts = Read({damaged});
    const par2::RecoverySet& set = counts.set;
    std::uint32_t previous = 0;
    for (std::size_t r = 0; r < set.recovery.size(); ++r) {
      EXPECT_LE(set.recovery[r].dataOffset + set.sliceSize, damaged.size());
      EXPECT_TRUE(r == 0 || set.recovery[r].exponent > previous);
      previous = set.recovery[r].exponent;
    }
    for (const par2::SetFile& f : set.files) {
      if (f.hasChecksums) {
        EXPECT_EQ(f.entry.slices.size(), (f.entry.length + set.sliceSize - 1) / set.sliceSize);
      }
    }
  }
}

}  // namespace
}  // namespace kv::test
