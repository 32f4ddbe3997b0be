#pragma once
// How a typed piece is laid out at a divide size, as the type's description
// in core gives it: the header that opens it, the room left for the source's
// bytes and the trailer that closes a checksummed piece. The divide writes
// its pieces by it, and the recovery data of a divide predicts them by it
// before they are written.

#include <cstdint>
#include <vector>

#include "core/job_state.h"

namespace kv {

// The Type3 trailer: the body's CRC-16 and the end tag.
inline constexpr std::int64_t kType3TrailerLength = 3;

// The source bytes a first piece of `divideSize` holds behind its stub and
// header (and before a trailer); 0 or less when none fit.
std::int64_t FirstPieceRoom(SplitType type, std::int64_t divideSize, std::int64_t stubSize,
                            std::int64_t headerLength);

// Header and trailer bytes piece `pieceNumber` (after the first) carries
// besides its body, `remaining` source bytes still to go.
std::int64_t NextPieceOverhead(SplitType type, int pieceNumber, std::int64_t divideSize,
                               std::int64_t remaining);

// The header that opens piece `pieceNumber` (after the first): a Type3 next
// header, the Type2 check byte, or nothing for Type1.
std::vector<std::uint8_t> NextPieceHeader(SplitType type, int pieceNumber, std::int64_t divideSize,
                                          std::int64_t remaining, std::uint16_t seriesId,
                                          std::uint8_t checkByte);

}  // namespace kv
