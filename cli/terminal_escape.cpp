#include "cli/terminal_escape.h"

#include <cstdio>

#include "core/utf8.h"

namespace kv {

namespace {

void AppendHexEscape(std::string& out, unsigned value, const char* format) {
  char text[12];
  std::snprintf(text, sizeof text, format, value);
  out += text;
}

// Appends the character at `at`, escaped when it must not reach the
// terminal, and gives the number of bytes it took.
std::size_t AppendEscapedUnit(std::string& out, std::string_view text, std::size_t at) {
  char32_t code = 0;
  const std::size_t length = DecodeUtf8(text, at, code);
  if (length == 0) {
    AppendHexEscape(out, static_cast<unsigned char>(text[at]), "\\x%02x");
    return 1;
  }
  if (!IsHiddenCharacter(code)) {
    out.append(text.substr(at, length));
  } else if (code == '\n') {
    out += "\\n";
  } else if (code == '\r') {
    out += "\\r";
  } else if (code == '\t') {
    out += "\\t";
  } else {
    AppendHexEscape(out, static_cast<unsigned>(code), code < 0x80 ? "\\x%02x" : "\\u%04x");
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
