#pragma once
// The CRC32 of PAR2 (zlib's) folded by carry-less multiplication, for the
// long runs a slice is made of; zlib's own takes the rest (see Crc32).

#include <cstddef>
#include <cstdint>

namespace kv {

bool HasCrc32Clmul();

// Folds `blocks` (at least 4) blocks of 16 bytes into the register value
// `state` (the CRC before its final inversion) and returns the new one.
// Only where HasCrc32Clmul().
std::uint32_t FoldCrc32Clmul(std::uint32_t state, const std::uint8_t* p, std::size_t blocks);

}  // namespace kv
