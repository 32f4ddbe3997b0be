#include "core/ascii_text.h"

#include <algorithm>

namespace kv {

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view end) {
  return text.size() >= end.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - end.size()), end);
}

std::int64_t ReadSaturatedDecimal(std::string_view text, std::size_t& at, std::int64_t limit,
                                  bool skipCommas) {
  std::int64_t value = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c >= '0' && c <= '9') {
      // Compared before multiplying, so no value can overflow on the way.
      const int digit = c - '0';
      value = limit < digit || value > (limit - digit) / 10 ? limit : value * 10 + digit;
    } else if (!(skipCommas && c == ',')) {
      break;
    }
  }
  return value;
}

}  // namespace kv
