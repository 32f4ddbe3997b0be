#pragma once
// Code-page conversion of names recorded by a Japanese system.

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// The bytes read as code page 932 (Shift_JIS with its vendor additions), in
// UTF-8; nothing when they are not valid CP932 or no converter is available.
// Has the shape of CodePageToUtf8 (core/code_page.h).
std::optional<std::string> CodePage932ToUtf8(std::string_view bytes);

}  // namespace kv
