#include "cli/terminal_escape.h"

#include <cstdio>

namespace kv {

namespace {

void AppendHexEscape(std::string& out, unsigned value, const char* format) {
  char text[12];
  std::snprintf(text, sizeof text, format, value);
  out += text;
}

// The length of the UTF-8 sequence at `at` and its code point; 0 when the
// bytes there are no well-formed sequence.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& code) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  char32_t smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1Fu, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0Fu, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07u, smallest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0u) != 0x80u) {
      return 0;
    }
    code = (code << 6) | (next & 0x3Fu);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return code < smallest || code > 0x10FFFF || surrogate ? 0 : length;
}

bool IsHiddenCodePoint(char32_t code) {
  return (code >= 0x80 && code <= 0x9F) || (code >= 0x202A && code <= 0x202E) ||
         (code >= 0x2066 && code <= 0x2069);
}

// Appends the character at `at`, escaped when it must not reach the
// terminal, and gives the number of bytes it took.
std::size_t AppendEscapedUnit(std::string& out, std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x80) {
    if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      AppendHexEscape(out, byte, "\\x%02x");
    } else {
      out += static_cast<char>(byte);
    }
    return 1;
  }
  char32_t code = 0;
  const std::size_t length = DecodeUtf8(text, at, code);
  if (length == 0) {
    AppendHexEscape(out, byte, "\\x%02x");
    return 1;
  }
  if (IsHiddenCodePoint(code)) {
    AppendHexEscape(out, static_cast<unsigned>(code), "\\u%04x");
  } else {
    out.append(text.substr(at, length));
  }
  return length;
}

// The length of the first of `names` that begins at `at`; 0 when none does.
std::size_t NameAt(std::string_view text, std::size_t at, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (!name.empty() && text.substr(at, name.size()) == name) {
      return name.size();
    }
  }
  return 0;
}

}  // namespace

std::string EscapeForTerminal(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    at += AppendEscapedUnit(out, text, at);
  }
  return out;
}

std::string TerminalText(std::string_view text, const std::vector<std::string>& names) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    if (const std::size_t name = NameAt(text, at, names)) {
      out += EscapeForTerminal(text.substr(at, name));
      at += name;
    } else if (text.substr(at, 2) == "\r\n" || text[at] == '\n') {
      out += '\n';
      at += text[at] == '\r' ? 2u : 1u;
    } else {
      at += AppendEscapedUnit(out, text, at);
    }
  }
  return out;
}

}  // namespace kv
