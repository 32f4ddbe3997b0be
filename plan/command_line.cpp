#include "plan/command_line.h"

#include <climits>

#include "core/ascii_text.h"

#include "platform/file_helpers.h"

namespace kv {

namespace {

// The decimal value of a parameter, read as a standard conversion does:
// blanks, a sign, the leading digits; none read as 0, saturated to int.
int DecimalValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // One past INT_MAX, so that a negative value can reach INT_MIN.
  std::int64_t value = ReadSaturatedDecimal(text, i, std::int64_t{INT_MAX} + 1);
  value = negative ? -value : value;
  if (value > INT_MAX) {
    return INT_MAX;
  }
  return value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

}  // namespace

void CommandLineSwitches::ParseParam(std::string_view param, bool isSwitch, bool /*isLast*/) {
  if (isSwitch) {
    pending = kNothingPending;
    if (param == "DEVIDE") {
      mode = kDivideMode;
    } else if (param == "RESTORE") {
      mode = kRestoreMode;
    } else if (param == "CLOSE") {
      closeAtEnd = true;
    } else if (param == "SIZE") {
      pending = kSizePending;
    } else if (param == "DIVTYPE") {
      pending = kDivideTypePending;
    }
    return;
  }
  if (pending == kSizePending) {
    size = DecimalValue(param);
  } else if (pending == kDivideTypePending) {
    divideType = DecimalValue(param);
  }
  pending = kNothingPending;
}

CommandLineSwitches ParseCommandLine(int argc, const char* const* argv) {
  CommandLineSwitches switches;
  for (int i = 1; i < argc; ++i) {
    const std::string_view param = argv[i];
    const bool isSwitch = !param.empty() && (param.front() == '-' || param.front() == '/');
    switches.ParseParam(isSwitch ? param.substr(1) : param, isSwitch, i == argc - 1);
  }
  return switches;
}

std::string CommandLineTail(int argc, const char* const* argv) {
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) {
      tail += ' ';
    }
    tail += argv[i];
  }
  return tail;
}

std::string InitialSource(std::string_view tail) {
  if (tail.size() > 1 && tail.front() == '"' && tail.back() == '"') {
    tail = tail.substr(1, tail.size() - 2);
  }
  if (tail.empty()) {
    return {};
  }
  std::string name(tail);
  return FileExists(name) ? name : std::string();
}

}  // namespace kv
