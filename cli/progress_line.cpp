#include "cli/progress_line.h"

#include <cstdio>

namespace kv {

std::string ProgressLine(int permille, const std::string& status, std::int64_t bytes,
                         double seconds) {
  char line[160];
  constexpr double kMiB = 1024.0 * 1024.0;
  const double rate = seconds > 0 ? static_cast<double>(bytes) / kMiB / seconds : 0;
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
