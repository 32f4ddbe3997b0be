#include "utc_time.h"

static int days_in_month(int year, int month) {
  static const unsigned char days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return days[month - 1] + (month == 2 && leap);
}

/* Days from 1970-01-01 to the given date of the proleptic Gregorian calendar. */
static i64 days_from_civil(i64 y, int m, int d) {
  const i64 era = (y - (m <= 2)) >= 0 ? (y - (m <= 2)) / 400 : ((y - (m <= 2)) - 399) / 400;
  const i64 yoe = (y - (m <= 2)) - era * 400;
  const i64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const i64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int recorded_to_unix(int year, unsigned long packed_time, i64* seconds) {
  const int second = (int)(packed_time & 0x3F);
  const int minute = (int)((packed_time >> 6) & 0x3F);
  const int hour = (int)((packed_time >> 12) & 0x1F);
  const int day = (int)((packed_time >> 17) & 0x1F);
  const unsigned long month = packed_time >> 22;
  if (month < 1 || month > 12 || day < 1 || day > days_in_month(year, (int)month) || hour > 23 ||
      minute > 59 || second > 59) {
    return 0;
  }
  *seconds = days_from_civil(year, (int)month, day) * 86400 + hour * 3600 + minute * 60 + second;
  return 1;
}
