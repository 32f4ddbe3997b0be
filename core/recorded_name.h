#pragma once
// Turns a source name read from a piece header (untrusted bytes) into a file
// name this system may create: a single path component in UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// The longest source name a reader keeps, in recorded bytes. Writers store a
// path component, which never exceeds this; a longer record is broken.
constexpr std::size_t kMaxRecordedNameBytes = 259;

// Returns the usable name, or nothing when the recorded name is broken.
// - A name that is not valid UTF-8 was written under a Japanese system code
//   page: it is converted from CP932 (bytes that are not CP932 either are
//   read as Latin-1, so no name is lost to its encoding).
// - Only the text after the last "/" or "\" is kept.
// - An empty result, "." or "..", or any byte below 0x20 makes it broken.
std::optional<std::string> SanitizeRecordedName(std::string_view recorded);

// True when the bytes form valid UTF-8 (no overlong forms or surrogates).
bool IsValidUtf8(std::string_view bytes);

}  // namespace kv
