#include "bench/crc_throughput.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

#include "core/crc16_paths.h"

namespace kv::bench {
namespace {

volatile std::uint16_t keptCrc = 0;

// The processor time this thread has had: on a shared machine the wall
// clock would count the other processes' turns as well.
double ThreadSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Folds the buffer again and again for about a quarter second of processor
// time, in calls of `call` bytes; the best of three such spells counts.
double GigabytesPerSecond(crc16::Path path, const std::vector<std::uint8_t>& buffer,
                          std::size_t call) {
  double best = 0;
  std::uint16_t crc = 0;
  for (int spell = 0; spell < 3; ++spell) {
    const double start = ThreadSeconds();
    std::size_t bytes = 0;
    double seconds = 0;
    while (seconds < 0.25) {
      for (std::size_t at = 0; at < buffer.size(); at += call) {
        crc = crc16::FoldWith(path, crc, buffer.data() + at, std::min(call, buffer.size() - at));
      }
      bytes += buffer.size();
      seconds = ThreadSeconds() - start;
    }
    best = std::max(best, static_cast<double>(bytes) / seconds / 1e9);
  }
  // The value is kept so that no fold can be left out.
  keptCrc = crc;
  return best;
}

}  // namespace

void PrintCrcThroughput() {
  std::mt19937 random(7);
  std::vector<std::uint8_t> cached(256 << 10);
  std::vector<std::uint8_t> large(256 << 20);
  for (auto& b : cached) {
    b = static_cast<std::uint8_t>(random());
  }
  for (std::size_t i = 0; i < large.size(); ++i) {
    large[i] = cached[i % cached.size()];
  }
  std::printf(
      "\nCRC-16/XMODEM, GB per second of processor time (fastest available is used by the jobs: "
      "%s)\n",
      crc16::PathName(crc16::FastestPath()));
  std::printf("%-16s %15s %15s %15s\n", "path", "256 KiB GB/s", "in 1 KiB calls", "256 MiB GB/s");
  for (const crc16::Path path : crc16::kAllPaths) {
    if (!crc16::PathAvailable(path)) {
      std::printf("%-16s %14s\n", crc16::PathName(path), "not offered");
      continue;
    }
    std::printf("%-16s %15.2f %15.2f %15.2f\n", crc16::PathName(path),
                GigabytesPerSecond(path, cached, cached.size()),
                GigabytesPerSecond(path, cached, 1024),
                GigabytesPerSecond(path, large, large.size()));
  }
}

}  // namespace kv::bench
