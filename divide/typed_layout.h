#pragma once
// How a typed piece is laid out at a divide size, as the type's description
// in core gives it: the header that opens it, the room left for the source's
// bytes and the trailer that closes a checksummed piece. The divide writes
// its pieces by it, and the recovery data of a divide predicts them by it
// before they are written.

#include <cstdint>
#include <vector>

#include "core/piece_format.h"

namespace kv {

// The source bytes a first piece of `divideSize` holds behind its stub and
// header (and before a trailer); 0 or less when none fit.
std::int64_t FirstPieceRoom(const PieceFormat& format, std::int64_t divideSize,
                            std::int64_t stubSize, std::int64_t headerLength);

// Header and trailer bytes piece `pieceNumber` (after the first) carries
// besides its body, `remaining` source bytes still to go.
std::int64_t NextPieceOverhead(const PieceFormat& format, int pieceNumber, std::int64_t divideSize,
                               std::int64_t remaining);

// The header that opens piece `pieceNumber` (after the first) of the series
// whose first piece carried `identity`.
std::vector<std::uint8_t> NextPieceHeader(const PieceFormat& format, int pieceNumber,
                                          std::int64_t divideSize, std::int64_t remaining,
                                          std::uint16_t identity);

}  // namespace kv
