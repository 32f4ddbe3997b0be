#pragma once
// Fills the one "%s" of a message text with a name or a number text.

#include <string>

namespace kv {

// The text with its first "%s" replaced by `value`; unchanged when it has none.
inline std::string FillText(const char* format, const std::string& value) {
  std::string text(format);
  const auto at = text.find("%s");
  return at == std::string::npos ? text : text.replace(at, 2, value);
}

}  // namespace kv
