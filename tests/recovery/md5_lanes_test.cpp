// MD5 in lanes: every path this processor offers against RFC 1321's own
// digests and against libcrypto, with streams of unequal lengths finishing at
// different times, started over in the middle, and given in odd-sized chunks.

#include <gtest/gtest.h>

#include <string_view>

#include "recovery/md5_lanes.h"
#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using md5::LanePath;

std::vector<LanePath> AvailablePaths() {
  std::vector<LanePath> paths;
  for (const LanePath path : {LanePath::kPortable, LanePath::kAvx2, LanePath::kAvx512}) {
    if (md5::PathAvailable(path)) {
      paths.push_back(path);
    }
  }
  return paths;
}

Md5Digest FromHex(std::string_view hex) {
  Md5Digest digest{};
  for (std::size_t i = 0; i < digest.size(); ++i) {
    digest[i] =
        static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(2 * i, 2)), nullptr, 16));
  }
  return digest;
}

// Every stream is given its next chunk at each update, the chunks' sizes
// taken from `pattern` in turn, until all are through.
std::vector<Md5Digest> HashSideBySide(LanePath path, const std::vector<Bytes>& streams,
                                      const std::vector<std::size_t>& pattern) {
  md5::Md5Lanes lanes(streams.size(), path);
  std::vector<std::size_t> done(streams.size(), 0);
  for (std::size_t turn = 0;; ++turn) {
    std::vector<std::span<const std::uint8_t>> chunks;
    bool any = false;
    for (std::size_t i = 0; i < streams.size(); ++i) {
      const std::size_t take =
          std::min(pattern[turn % pattern.size()], streams[i].size() - done[i]);
      chunks.push_back(std::span(streams[i]).subspan(done[i], take));
      done[i] += take;
      any = any || take > 0;
    }
    if (!any) {
      break;
    }
    lanes.Update(chunks);
  }
  std::vector<Md5Digest> digests;
  for (std::size_t i = 0; i < streams.size(); ++i) {
    digests.push_back(lanes.Finish(i));
  }
  return digests;
}

TEST(Md5Lanes, TheDigestsOfRfc1321OnEveryPath) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  std::vector<Bytes> streams;
  for (const auto& [text, digest] : cases) {
    streams.emplace_back(text.begin(), text.end());
  }
  for (const LanePath path : AvailablePaths()) {
    for (const std::vector<std::size_t>& pattern :
         std::vector<std::vector<std::size_t>>{{1000}, {3, 61, 64}}) {
      const std::vector<Md5Digest> digests = HashSideBySide(path, streams, pattern);
      for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(digests[i], FromHex(cases[i].second))
            << "path " << static_cast<int>(path) << ", \"" << cases[i].first << "\"";
      }
    }
  }
}

TEST(Md5Lanes, UnequalStreamsMatchLibcryptoOnEveryPath) {
  // Around the padding's edges (55/56, 63/64/65, 119/120), long runs, and
  // more streams than lanes, so the lanes are filled twice and run part idle.
  std::vector<std::size_t> lengths = {0, 1, 55, 56, 63, 64, 65, 119, 120, 16384, (3 << 20) + 17};
  const Bytes random = RandomBytes(24, 3);
  for (const std::uint8_t r : random) {
    lengths.push_back(std::size_t{r} * 797 + r % 64);
  }
  std::vector<Bytes> streams;
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    streams.push_back(RandomBytes(lengths[i], static_cast<std::uint32_t>(i + 1)));
  }
  for (const LanePath path : AvailablePaths()) {
    for (const std::vector<std::size_t>& pattern :
         std::vector<std::vector<std::size_t>>{{1 << 20}, {65536}, {1, 63, 4096, 100}}) {
      const std::vector<Md5Digest> digests = HashSideBySide(path, streams, pattern);
      for (std::size_t i = 0; i < streams.size(); ++i) {
        EXPECT_EQ(digests[i], Md5Of(streams[i]))
            << "path " << static_cast<int>(path) << ", length " << lengths[i];
      }
    }
  }
}

TEST(Md5Lanes, AStreamStartedOverMidwayHashesOnlyItsNewBytes) {
  const Bytes first = RandomBytes(5000, 1);
  const Bytes second = RandomBytes(9000, 2);
  const Bytes beside = RandomBytes(20000, 3);
  for (const LanePath path : AvailablePaths()) {
    md5::Md5Lanes lanes(3, path);
    const std::span<const std::uint8_t> start[] = {first, std::span(beside).first(7000), {}};
    lanes.Update(start);
    EXPECT_EQ(lanes.Finish(0), Md5Of(first));
    const std::span<const std::uint8_t> next[] = {second, std::span(beside).subspan(7000), second};
    lanes.Update(next);
    EXPECT_EQ(lanes.Finish(0), Md5Of(second)) << static_cast<int>(path);
    EXPECT_EQ(lanes.Finish(1), Md5Of(beside)) << static_cast<int>(path);
    EXPECT_EQ(lanes.Finish(2), Md5Of(second)) << static_cast<int>(path);
  }
}

TEST(Md5Lanes, DigestWithZerosLeavesTheStreamAsItIs) {
  const std::string_view abc = "abc";
  for (const LanePath path : AvailablePaths()) {
    md5::Md5Lanes lanes(1, path);
    const std::span<const std::uint8_t> chunk[] = {
        std::span(reinterpret_cast<const std::uint8_t*>(abc.data()), abc.size())};
    lanes.Update(chunk);
    EXPECT_EQ(lanes.DigestWithZeros(0, 4093), FromHex("5b5b78e3d337480ead93442b25ce13fd"));
    EXPECT_EQ(lanes.Finish(0), FromHex("900150983cd24fb0d6963f7d28e17f72"));
  }
  for (const std::size_t length : {0U, 64U, 100U, 5000U}) {
    const Bytes data = RandomBytes(length, 4);
    for (const std::size_t zeros : {0U, 1U, 4093U, 70000U}) {
      Bytes padded = data;
      padded.resize(length + zeros, 0);
      for (const LanePath path : AvailablePaths()) {
        md5::Md5Lanes lanes(1, path);
        const std::span<const std::uint8_t> chunk[] = {data};
        lanes.Update(chunk);
        EXPECT_EQ(lanes.DigestWithZeros(0, zeros), Md5Of(padded)) << length << " + " << zeros;
        EXPECT_EQ(lanes.Finish(0), Md5Of(data)) << length << " + " << zeros;
      }
    }
  }
}

}  // namespace
}  // namespace kv::test
