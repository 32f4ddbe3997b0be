#include "cli/progress_line.h"

#include <cstdint>
#include <cstdio>

namespace kv {

namespace {

// The KiB count of a "%skBytes" status text (grouping commas skipped).
std::int64_t KiBytesOf(const std::string& status) {
  std::int64_t value = 0;
  for (char c : status) {
    if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
    } else if (c != ',') {
      break;
    }
  }
  return value;
}

}  // namespace

std::string ProgressLine(int permille, const std::string& status, double seconds) {
  char line[160];
  const double rate = seconds > 0 ? static_cast<double>(KiBytesOf(status)) / 1024.0 / seconds : 0;
  std::string left = "--:--";
  if (permille > 0 && permille < 1000 && seconds > 0) {
    const auto remaining = static_cast<long>(seconds * (1000 - permille) / permille);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", remaining / 60, remaining % 60);
    left = text;
  } else if (permille >= 1000) {
    left = "0:00";
  }
  std::snprintf(line, sizeof line, "%4d%%  %s  %.1f MiB/s  %s left", permille / 10, status.c_str(),
                rate, left.c_str());
  return line;
}

}  // namespace kv
