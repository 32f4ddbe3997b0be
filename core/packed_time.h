#pragma once
// The modification time a Type3 first header records: the year, and the rest
// of the UTC time packed into 32 bits (second 0-5, minute 6-11, hour 12-16,
// day 17-21, month 22 and up).

#include <cstdint>
#include <optional>

namespace kv {

struct RecordedTime {
  std::uint16_t year = 0;
  std::uint32_t packedTime = 0;
};

struct UtcFields {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Breaks seconds since 1970-01-01 UTC down and packs them.
RecordedTime PackTime(std::int64_t unixSeconds);
std::uint32_t PackTime(const UtcFields& utc);
// Unpacks the fields as recorded, without checking them.
UtcFields UnpackTime(std::uint16_t year, std::uint32_t packedTime);
// Seconds since 1970-01-01 UTC of a recorded time; nothing when the fields do
// not form a valid calendar time (month 0, 31 February, hour 24, ...).
std::optional<std::int64_t> RecordedTimeToUnixSeconds(std::uint16_t year, std::uint32_t packedTime);
// Seconds since 1970-01-01 UTC of calendar fields (year from 1); nothing when
// they do not form a valid calendar time.
std::optional<std::int64_t> UtcToUnixSeconds(const UtcFields& utc);

}  // namespace kv
