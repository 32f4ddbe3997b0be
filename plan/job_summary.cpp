#include "plan/job_summary.h"

#include <cstdio>

#include "core/typed_header_builder.h"

namespace kv {

namespace {

// Bytes of a FlaggedInt64 / FlaggedInt16 in their short or long form.
int FlaggedInt64Length(std::int64_t value) {
  return value > 0x7FFFFFFF ? 8 : 4;
}
int FlaggedInt16Length(std::int64_t value) {
  return value > 127 ? 2 : 1;
}

}  // namespace

int Type3FirstHeaderLength(std::int64_t sourceSize, std::string_view storedName) {
  const auto nameLength = static_cast<std::int64_t>(storedName.size());
  // Type byte and marker; size; flags; piece length (always the short form, a
  // divide size never passes 0x7FFFFFFF); series id.
  std::int64_t length = 1 + 5 + FlaggedInt64Length(sourceSize) + 1 + 4 + 2;
  length += 1 + FlaggedInt16Length(nameLength) + nameLength;  // SourceName
  length += 1 + 1 + 6;                                        // ModifiedTime
  length += 1;                                                // end tag
  return static_cast<int>(length);
}

int Type2HeaderLength(std::int64_t sourceSize, std::string_view storedName) {
  char size[16];
  const int digits =
      std::snprintf(size, sizeof size, "%lX", static_cast<unsigned long>(sourceSize & 0xFFFFFFFF));
  return 3 + digits + 1 + static_cast<int>(storedName.size());
}

int DivideHeaderLength(int divideType, std::int64_t sourceSize, std::string_view storedName) {
  switch (divideType) {
    case 1:
      return kType1HeaderLength;
    case 2:
      return Type2HeaderLength(sourceSize, storedName);
    case 3:
      return Type3FirstHeaderLength(sourceSize, storedName);
    default:
      return 0;
  }
}

std::int64_t MediaCount(int divideType, std::int64_t sourceSize, std::int64_t divideSize,
                        std::int64_t headerLength) {
  const std::int64_t s = sourceSize;
  const std::int64_t d = divideSize;
  const std::int64_t h = headerLength;
  if (d <= 0) {
    return 0;
  }
  if (divideType == 1 || divideType == 2) {
    const std::int64_t t = divideType;
    return d - t + 1 > 0 ? (s + h - t) / (d - t + 1) + 1 : 0;
  }
  if (divideType == 3) {
    if (d <= 16) {
      return 0;
    }
    std::int64_t count = (s + h - 13) / (d - 15) + 1;
    if (count > 127) {
      count += (((s + h - 12) % (d - 15)) + count - 127) / (d - 16);
    }
    return count;
  }
  return (s - 1) / d + 1;
}

}  // namespace kv
