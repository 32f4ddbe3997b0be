#pragma once
// The desktop program's command line: the switches it records, and the
// initial source taken from the whole command-line tail.

#include <string>
#include <string_view>

namespace kv {

// The recorded switch values. Nothing else in the program consults them.
struct CommandLineSwitches {
  // Values of `mode`.
  static constexpr int kNoMode = 0;
  static constexpr int kDivideMode = 1;   // after "DEVIDE"
  static constexpr int kRestoreMode = 2;  // after "RESTORE"
  // Values of `pending`: what the next plain parameter is taken as.
  static constexpr int kNothingPending = 0;
  static constexpr int kSizePending = 1;
  static constexpr int kDivideTypePending = 2;
  static constexpr int kNoDivideType = -1;

  int mode = kNoMode;
  bool closeAtEnd = false;
  int size = 0;
  int divideType = kNoDivideType;
  int pending = kNothingPending;

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
