#pragma once
// The one-line progress display of a running job on standard error.

#include <cstdint>
#include <string>

namespace kv {

// "  42%  1,234kBytes  1.5 MiB/s  0:12 left" from the permille, the status
// text ("%skBytes"), the bytes moved and the seconds since the start.
std::string ProgressLine(int permille, const std::string& status, std::int64_t bytes,
                         double seconds);

}  // namespace kv
