#pragma once
// The numbers of a divide summary: the length of the first header the typed
// divide will write, and the estimated count of media the pieces take.

#include <cstdint>
#include <string_view>

namespace kv {

// The Type3 first header the typed divide writes for this source: type byte,
// marker, size, flags, piece length, series id, the SourceName record, the
// ModifiedTime record and the end tag; the piece length of a divide size
// beyond 2 GB takes 4 bytes more.
int Type3FirstHeaderLength(std::int64_t sourceSize, std::string_view storedName,
                           std::int64_t divideSize = 0);

// The Type2 first header the typed divide writes: 3 + the length of "%lX %s"
// (low 32 bits of the size, name).
int Type2HeaderLength(std::int64_t sourceSize, std::string_view storedName);

// The first header length of a divide of type 0..3 (Type0: 0, Type1: 24).
int DivideHeaderLength(int divideType, std::int64_t sourceSize, std::string_view storedName,
                       std::int64_t divideSize = 0);

// Estimated media for a divide of `sourceSize` bytes at `divideSize` (> 0)
// with a first header of `headerLength` bytes.
std::int64_t MediaCount(int divideType, std::int64_t sourceSize, std::int64_t divideSize,
                        std::int64_t headerLength);

// The pieces a divide at a fixed `divideSize` writes, as the divide counts
// them: for Type3 exactly (the estimate above may fall short by hundreds),
// with `stubSize` bytes of a self-restoring first piece; the estimate for
// the other types, whose pieces carry no number that could run out.
std::int64_t PiecesWritten(int divideType, std::int64_t sourceSize, std::int64_t divideSize,
                           std::int64_t headerLength, std::int64_t stubSize);

}  // namespace kv
