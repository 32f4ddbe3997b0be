#pragma once
// What the piece readers need from the platform to read a name recorded under
// a Japanese system code page.

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// Converts bytes in code page 932 to UTF-8; nothing when they are not valid
// there. The platform layer supplies it; readers take it as a parameter.
using CodePageToUtf8 = std::optional<std::string> (*)(std::string_view bytes);

}  // namespace kv
