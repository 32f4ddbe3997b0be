#include "recovery/md5_lanes.h"

#include <algorithm>
#include <cstring>

#include "recovery/md5_rounds.h"

namespace kv::md5 {

namespace {

constexpr std::uint32_t RotateLeft(std::uint32_t x, int s) {
  return (x << s) | (x >> (32 - s));
}

std::uint32_t Mix(int round, std::uint32_t x, std::uint32_t y, std::uint32_t z) {
  switch (round) {
    case 0:
      return (x & y) | (~x & z);
    case 1:
      return (x & z) | (y & ~z);
    case 2:
      return x ^ y ^ z;
    default:
      return y ^ (x | ~z);
  }
}

std::uint32_t LittleEndianWord(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

constexpr std::array<std::uint8_t, 4096> kZeros{};

}  // namespace

void BlocksOne(std::array<std::uint32_t, 4>& state, const std::uint8_t* data, std::size_t blocks) {
  for (std::size_t k = 0; k < blocks; ++k, data += 64) {
    std::array<std::uint32_t, 16> w{};
    for (std::size_t i = 0; i < 16; ++i) {
      w[i] = LittleEndianWord(data + 4 * i);
    }
    auto [a, b, c, d] = state;
    for (int i = 0; i < 64; ++i) {
      const std::uint32_t sum = a + Mix(i / 16, b, c, d) + kSine[static_cast<std::size_t>(i)] +
                                w[static_cast<std::size_t>(WordOf(i))];
      a = d;
      d = c;
      c = b;
      b += RotateLeft(sum, Shift(i));
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
  }
}

bool PathAvailable(LanePath path) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  switch (path) {
    case LanePath::kAvx512:
      return __builtin_cpu_supports("avx512f");
    case LanePath::kAvx2:
      return __builtin_cpu_supports("avx2");
    case LanePath::kPortable:
      return true;
  }
#endif
  return path == LanePath::kPortable;
}

LanePath BestPath() {
  static const LanePath best = PathAvailable(LanePath::kAvx512) ? LanePath::kAvx512
                               : PathAvailable(LanePath::kAvx2) ? LanePath::kAvx2
                                                                : LanePath::kPortable;
  return best;
}

Md5Lanes::Md5Lanes(std::size_t streams, LanePath path)
    : path_(path),
      streams_(streams),
      width_(path == LanePath::kAvx512 ? kAvx512Lanes : kAvx2Lanes) {
  if (path_ == LanePath::kPortable) {
    for (std::size_t i = 0; i < streams; ++i) {
      library_.push_back(std::make_unique<Md5>());
    }
  } else {
    own_.assign(streams, Stream{kStart});
  }
}

Md5Lanes::~Md5Lanes() = default;

void Md5Lanes::Update(std::span<const std::span<const std::uint8_t>> chunks) {
  if (path_ == LanePath::kPortable) {
    for (std::size_t i = 0; i < chunks.size(); ++i) {
      library_[i]->Update(chunks[i]);
    }
    return;
  }
  for (std::size_t first = 0; first < chunks.size(); first += width_) {
    UpdateGroup(first, chunks.subspan(first, std::min(width_, chunks.size() - first)));
  }
}

// Completes a stream's pending block from `bytes`; what is left of them
// starts on a block of its own (none is left while the block is not full).
std::span<const std::uint8_t> Md5Lanes::TopUp(Stream& stream, std::span<const std::uint8_t> bytes) {
  const std::size_t pending = static_cast<std::size_t>(stream.length % 64);
  if (pending == 0 || bytes.empty()) {
    return bytes;
  }
  const std::size_t take = std::min(64 - pending, bytes.size());
  std::memcpy(stream.pending.data() + pending, bytes.data(), take);
  if (pending + take == 64) {
    BlocksOne(stream.words, stream.pending.data(), 1);
  }
  return bytes.subspan(take);
}

void Md5Lanes::UpdateGroup(std::size_t first,
                           std::span<const std::span<const std::uint8_t>> chunks) {
  std::array<std::span<const std::uint8_t>, kAvx512Lanes> rest{};
  for (std::size_t l = 0; l < chunks.size(); ++l) {
    rest[l] = TopUp(own_[first + l], chunks[l]);
  }
  HashWholeBlocks(first, std::span(rest).first(chunks.size()));
  for (std::size_t l = 0; l < chunks.size(); ++l) {
    if (!rest[l].empty()) {
      std::memcpy(own_[first + l].pending.data(), rest[l].data(), rest[l].size());
    }
    own_[first + l].length += chunks[l].size();
  }
}

// Hashes the whole blocks of rest[l] into stream first + l, leaving less
// than a block in each: in lanes while two streams or more have blocks, the
// lanes running as many as the shortest has.
void Md5Lanes::HashWholeBlocks(std::size_t first, std::span<std::span<const std::uint8_t>> rest) {
  std::array<std::uint32_t, 4 * kAvx512Lanes> state{};
  std::array<const std::uint8_t*, kAvx512Lanes> data{};
  for (;;) {
    std::size_t active = 0;
    std::size_t blocks = SIZE_MAX;
    std::size_t any = 0;
    for (std::size_t l = 0; l < rest.size(); ++l) {
      if (rest[l].size() >= 64) {
        ++active;
        blocks = std::min(blocks, rest[l].size() / 64);
        any = l;
      }
    }
    if (active < 2) {
      if (active == 1) {
        BlocksOne(own_[first + any].words, rest[any].data(), rest[any].size() / 64);
        rest[any] = rest[any].subspan(rest[any].size() / 64 * 64);
      }
      return;
    }
    for (std::size_t l = 0; l < width_; ++l) {
      const bool busy = l < rest.size() && rest[l].size() >= 64;
      data[l] = busy ? rest[l].data() : rest[any].data();
      for (std::size_t k = 0; k < 4; ++k) {
        state[k * width_ + l] = busy ? own_[first + l].words[k] : 0;
      }
    }
    (path_ == LanePath::kAvx512 ? BlocksAvx512 : BlocksAvx2)(state.data(), data.data(), blocks);
    for (std::size_t l = 0; l < rest.size(); ++l) {
      if (rest[l].size() >= 64) {
        for (std::size_t k = 0; k < 4; ++k) {
          own_[first + l].words[k] = state[k * width_ + l];
        }
        rest[l] = rest[l].subspan(blocks * 64);
      }
    }
  }
}

void Md5Lanes::UpdateOne(Stream& stream, std::span<const std::uint8_t> bytes) {
  const std::span<const std::uint8_t> rest = TopUp(stream, bytes);
  const std::size_t whole = rest.size() / 64;
  BlocksOne(stream.words, rest.data(), whole);
  if (rest.size() > whole * 64) {
    std::memcpy(stream.pending.data(), rest.data() + whole * 64, rest.size() - whole * 64);
  }
  stream.length += bytes.size();
}

// Pads the stream (a 1 bit, zeros, its length in bits) and gives its words as bytes.
Md5Digest Md5Lanes::Close(Stream stream) {
  const std::uint64_t bits = stream.length * 8;
  std::array<std::uint8_t, 72> tail{0x80};
  const std::size_t padding = 1 + (119 - stream.length % 64) % 64;
  for (std::size_t i = 0; i < 8; ++i) {
    tail[padding + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  }
  UpdateOne(stream, std::span(tail).first(padding + 8));
  Md5Digest digest{};
  for (std::size_t i = 0; i < 16; ++i) {
    digest[i] = static_cast<std::uint8_t>(stream.words[i / 4] >> (8 * (i % 4)));
  }
  return digest;
}

Md5Digest Md5Lanes::Finish(std::size_t stream) {
  if (path_ == LanePath::kPortable) {
    return library_[stream]->Finish();
  }
  const Md5Digest digest = Close(own_[stream]);
  own_[stream] = Stream{kStart};
  return digest;
}

Md5Digest Md5Lanes::DigestWithZeros(std::size_t stream, std::size_t count) const {
  if (path_ == LanePath::kPortable) {
    return library_[stream]->DigestWithZeros(count);
  }
  Stream copy = own_[stream];
  while (count > 0) {
    const std::size_t step = std::min(count, kZeros.size());
    UpdateOne(copy, std::span(kZeros).first(step));
    count -= step;
  }
  return Close(copy);
}

}  // namespace kv::md5
