#pragma once
// ASCII case folding and the decimal reading every text parser here shares.
// Bytes outside ASCII are compared as they are.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kv {

char AsciiLower(char c);
char AsciiUpper(char c);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// True when `text` ends in `end`, ignoring ASCII case.
bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view end);

// Reads the decimal digits of `text` from `at` on (moving `at` past them), a
// value never above `limit`: more digits keep it at `limit`. With
// `skipCommas`, grouping commas between the digits are passed over.
std::int64_t ReadSaturatedDecimal(std::string_view text, std::size_t& at, std::int64_t limit,
                                  bool skipCommas = false);

}  // namespace kv
