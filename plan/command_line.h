#pragma once
// The desktop program's command line: the switches it records, and the
// initial source taken from the whole command-line tail.

#include <string>
#include <string_view>

namespace kv {

// The recorded switch values. Nothing else in the program consults them.
struct CommandLineSwitches {
  int mode = 0;  // 1 after "DEVIDE", 2 after "RESTORE"
  bool closeAtEnd = false;
  int size = 0;
  int divideType = -1;
  int pending = 0;  // 1: a size is expected, 2: a divide type is expected

  // One parameter, in order; a switch arrives without its "-" or "/".
  void ParseParam(std::string_view param, bool isSwitch, bool isLast);
};

// Runs ParseParam over argv[1..]: a parameter beginning with "-" or "/" is a switch.
CommandLineSwitches ParseCommandLine(int argc, const char* const* argv);

// The raw tail: argv[1..] joined by single blanks.
std::string CommandLineTail(int argc, const char* const* argv);

// The source the main window starts with: the whole tail as one name (one
// pair of enclosing double quotes dropped), taken only when such a file
// exists; empty otherwise.
std::string InitialSource(std::string_view tail);

}  // namespace kv
