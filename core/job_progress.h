#pragma once
// What every job worker writes into the progress channel, and the step its
// data moves in.

#include <cstdint>
#include <string>

namespace kv {

class JobState;

// Bytes moved per step: the unit of cancellation and of progress.
inline constexpr std::int64_t kStepSize = 1024;

// "%skBytes": the whole KiB of `bytes`, digits grouped.
std::string KiBytesText(std::int64_t bytes);

// Publishes the bytes moved so far: the running count and its "%skBytes" text.
void ReportBytes(JobState& job, std::int64_t bytes);

// The per mille of a typed job: `done` ÷ (`total` ÷ 1000), full at once for a
// total under 1000 bytes (no divisor), never outside 0..1000.
int TypedPermille(std::int64_t done, std::int64_t total);

}  // namespace kv
