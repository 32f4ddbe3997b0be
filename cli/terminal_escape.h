#pragma once
// Everything kolvanto-cli prints passes through here: a name may hold control
// characters, escape sequences or direction overrides that would redraw or
// reorder the terminal, so they are shown as escapes (\n, \x1b, \u202e).

#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The text with every control character (C0, DEL, C1), every direction
// override and every byte that is no UTF-8 written as an escape.
std::string EscapeForTerminal(std::string_view text);

// A system text for a terminal: its line breaks ("\r\n" or "\n") end lines,
// except inside one of `names`, which is escaped whole like any other
// control character.
std::string TerminalText(std::string_view text, const std::vector<std::string>& names = {});

}  // namespace kv
