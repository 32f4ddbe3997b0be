#include "core/packed_time.h"

namespace kv {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

std::uint32_t PackTime(const UtcFields& utc) {
  return static_cast<std::uint32_t>(utc.second & 0x3F) |
         static_cast<std::uint32_t>(utc.minute & 0x3F) << 6 |
         static_cast<std::uint32_t>(utc.hour & 0x1F) << 12 |
         static_cast<std::uint32_t>(utc.day & 0x1F) << 17 |
         static_cast<std::uint32_t>(utc.month & 0x3FF) << 22;
}

RecordedTime PackTime(std::int64_t unixSeconds) {
  std::int64_t days = unixSeconds / kSecondsPerDay;
  std::int64_t rest = unixSeconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  std::int64_t year = 0;
  UtcFields f;
  CivilFromDays(days, year, f.month, f.day);
  f.hour = static_cast<int>(rest / 3600);
  f.minute = static_cast<int>(rest / 60 % 60);
  f.second = static_cast<int>(rest % 60);
  RecordedTime t;
  // The record holds 16 bits of year; times outside 0..65535 are not recorded.
  t.year = year < 0 || year > 0xFFFF ? 0 : static_cast<std::uint16_t>(year);
  t.packedTime = t.year == 0 ? 0 : PackTime(f);
  return t;
}

UtcFields UnpackTime(std::uint16_t year, std::uint32_t packedTime) {
  UtcFields f;
  f.year = year;
  f.second = static_cast<int>(packedTime & 0x3F);
  f.minute = static_cast<int>((packedTime >> 6) & 0x3F);
  f.hour = static_cast<int>((packedTime >> 12) & 0x1F);
  f.day = static_cast<int>((packedTime >> 17) & 0x1F);
  f.month = static_cast<int>(packedTime >> 22);
  return f;
}

std::optional<std::int64_t> RecordedTimeToUnixSeconds(std::uint16_t year,
                                                      std::uint32_t packedTime) {
  return UtcToUnixSeconds(UnpackTime(year, packedTime));
}

std::optional<std::int64_t> UtcToUnixSeconds(const UtcFields& f) {
  if (f.year < 1 || f.month < 1 || f.month > 12 || f.day < 1 ||
      f.day > DaysInMonth(f.year, f.month) || f.hour < 0 || f.hour > 23 || f.minute < 0 ||
      f.minute > 59 || f.second < 0 || f.second > 59) {
    return std::nullopt;
  }
  return DaysFromCivil(f.year, f.month, f.day) * kSecondsPerDay + f.hour * 3600 + f.minute * 60 +
         f.second;
}

}  // namespace kv
