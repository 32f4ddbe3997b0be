#pragma once
// Writes the headers that open typed pieces, and computes the series identity
// values they carry. Each builder returns the header's bytes; its length is
// the vector's size. An empty vector means the values cannot be encoded.

#include <cstdint>
#include <string_view>
#include <vector>

namespace kv {

// Type number and marker of the typed formats.
constexpr std::uint8_t kType2Byte = 0x02;
constexpr std::uint8_t kType3Byte = 0x03;
constexpr std::string_view kType3Marker = "-QX3-";
// The first-piece pattern: the type byte 3, then the marker.
constexpr std::string_view kType3FirstPattern = "\x03-QX3-";

// Information record tags.
constexpr std::uint8_t kInfoTagEnd = 0;
constexpr std::uint8_t kInfoTagSourceName = 1;
constexpr std::uint8_t kInfoTagRequiredVersion = 2;
constexpr std::uint8_t kInfoTagModifiedTime = 3;

constexpr int kType1HeaderLength = 24;

// "%-12s %10ld ": empty when the name is empty or longer than 12 bytes, or
// the size is negative or does not fit in 10 digits.
std::vector<std::uint8_t> BuildType1Header(std::string_view shortName, std::int64_t sourceSize);

// "%c%c%lX %s%c" with 2, the check byte, the low 32 bits of the size, the
// name and 1 (no terminating zero).
std::vector<std::uint8_t> BuildType2Header(std::string_view storedName, std::int64_t sourceSize,
                                           std::uint8_t checkByte);

// Type byte, marker, source size, flags 0, piece length, series id, the
// SourceName record, the ModifiedTime record and the end tag. Empty when a
// value is negative or the name is longer than a record can hold.
std::vector<std::uint8_t> BuildType3FirstHeader(std::int64_t sourceSize, std::int64_t pieceLength,
                                                std::uint16_t seriesId, std::string_view storedName,
                                                std::uint16_t year, std::uint32_t packedTime);

// The length a next header will have: 13, or 14 from piece number 128 on,
// and 4 more when `pieceLength` passes 0x7FFFFFFF (its long form).
int Type3NextHeaderLength(int pieceNumber, std::int64_t pieceLength = 0);

// Marker, piece length, series id, piece number and the end tag. Empty when
// a value is negative or the piece number exceeds a FlaggedInt16.
std::vector<std::uint8_t> BuildType3NextHeader(std::int64_t pieceLength, std::uint16_t seriesId,
                                               int pieceNumber);

// The Type2 series check byte: K = CRC-16 of the source path as given;
// (K high + K low + 4 × selfRestoring + 2 + low byte of the source size + low
// byte of the divide size of the first piece) mod 256.
std::uint8_t SeriesCheckByte(std::string_view sourcePath, bool selfRestoring,
                             std::int64_t sourceSize, std::int64_t divideSize);

// The Type3 series identity: CRC-16 of the text "%s%s%d%d%d%d%ld" made from
// the source path, the grouped source size ("1,457,664"), self-restoring 1/0,
// the type 3, the first piece's divide size, fit-to-free-space 1/0 and the low
// 32 bits of the modification time (seconds since 1970 UTC) as signed.
std::uint16_t SeriesId(std::string_view sourcePath, std::int64_t sourceSize, bool selfRestoring,
                       std::int64_t divideSize, bool fitToFreeSpace,
                       std::int64_t modifiedUnixSeconds);

}  // namespace kv
