#pragma once
// Fills a printf-style text of the system ("%s", "%d") into a std::string of any length.

#include <cstdio>
#include <string>

namespace kv {

template <typename... Args>
std::string FillText(const char* format, Args... args) {
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
