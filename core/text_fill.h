#pragma once
// Filling the system's message texts: the one "%s" of a text, or a
// printf-style text ("%s", "%d") with several values.

#include <cstdio>
#include <string>

namespace kv {

// The text with its first "%s" replaced by `value`; unchanged when it has none.
inline std::string FillText(const char* format, const std::string& value) {
  std::string text(format);
  const auto at = text.find("%s");
  return at == std::string::npos ? text : text.replace(at, 2, value);
}

// A printf-style text filled with C values (char pointers, integers) of any length.
template <typename... Args>
std::string FormatText(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) {
    return {};
  }
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace kv
