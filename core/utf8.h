#pragma once
// Reading UTF-8 one character at a time, and the characters that are never
// shown or stored as they are: what the file names a restore creates and what
// the command line prints agree on.

#include <cstddef>
#include <string_view>

namespace kv {

// The length of the well-formed UTF-8 character at `at` (1 for ASCII) with its
// code point in `code`; 0 when the bytes there are none: a stray or overlong
// byte, a surrogate, a code point past U+10FFFF, a sequence the end cuts off.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& code);

// True when the bytes form valid UTF-8 (no overlong forms or surrogates).
bool IsValidUtf8(std::string_view bytes);

// A control character (C0, DEL, C1), which would move or redraw a terminal,
// or a bidirectional embedding, override or isolate (U+202A-U+202E,
// U+2066-U+2069), which would reorder the text around it.
bool IsHiddenCharacter(char32_t code);

}  // namespace kv
