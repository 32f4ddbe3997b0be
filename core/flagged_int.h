#pragma once
// The flagged big-endian integers of the typed headers: a short form whose top
// bit is 0 and a long form of twice the width whose top bit is 1 and which
// stores the value minus the largest short value plus one.

#include <cstdint>
#include <vector>

#include "core/byte_source.h"

namespace kv {

constexpr std::int32_t kFlaggedInt16Max = 0x7F + 0x8000;          // 32,895
constexpr std::int64_t kFlaggedInt32Max = 0x7FFF + 0x80000000LL;  // 0x80007FFF

// Forms understood by ReadFlaggedInt.
constexpr int kFlaggedForm16 = 1;
constexpr int kFlaggedForm32 = 2;

// Append the encoding to `out` (1/2, 2/4 or 4/8 bytes). A value below 0 or
// above the encoding's range appends nothing and gives false.
bool AppendFlaggedInt16(std::vector<std::uint8_t>& out, std::int64_t value);
bool AppendFlaggedInt32(std::vector<std::uint8_t>& out, std::int64_t value);
bool AppendFlaggedInt64(std::vector<std::uint8_t>& out, std::int64_t value);

// Reads a FlaggedInt16 (form 1) or FlaggedInt32 (form 2) at the source's
// position. A short read gives -1; any other form gives 0 and reads nothing.
std::int32_t ReadFlaggedInt(ByteSource& src, int form);
// Reads a FlaggedInt64; a short read gives -1, and so does a long form whose
// value does not fit in 63 bits.
std::int64_t ReadFlaggedInt64(ByteSource& src);

}  // namespace kv
