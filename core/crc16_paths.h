#pragma once
// The ways this program computes the CRC-16 (see crc16.h). Crc16 picks the
// quickest the processor offers once; the others stay reachable so that each
// can be checked against the bit-by-bit definition and timed on its own.

#include <cstddef>
#include <cstdint>

namespace kv::crc16 {

enum class Path {
  kTables,   // slicing by 16, any processor
  kClmul,    // 128-bit carry-less multiplication (PCLMULQDQ)
  kVpclmul,  // 256-bit carry-less multiplication (VPCLMULQDQ with AVX2)
};

inline constexpr Path kAllPaths[] = {Path::kTables, Path::kClmul, Path::kVpclmul};

bool PathAvailable(Path path);
Path FastestPath();
const char* PathName(Path path);

// Folds `length` bytes into `crc` with `path`, which must be available.
std::uint16_t FoldWith(Path path, std::uint16_t crc, const void* data, std::size_t length);

// The portable path, also used for the vector paths' short tails.
std::uint16_t FoldTables(std::uint16_t crc, const std::uint8_t* p, std::size_t n);
// The vector paths; each returns to a narrower one for what is too short for it.
std::uint16_t FoldClmul(std::uint16_t crc, const std::uint8_t* p, std::size_t n);
std::uint16_t FoldVpclmul(std::uint16_t crc, const std::uint8_t* p, std::size_t n);
bool HasClmul();
bool HasVpclmul();

}  // namespace kv::crc16
