#pragma once
// This program's version: recorded with the saved settings, and the newest
// RequiredVersion a piece may ask for. The build reads the package version
// from these two lines.

#include <string>

namespace kv {

inline constexpr int kProgramVersionMajor = 3;
inline constexpr int kProgramVersionMinor = 12;

// "3.12", as `--version` shows it.
inline std::string ProgramVersionText() {
  return std::to_string(kProgramVersionMajor) + "." + std::to_string(kProgramVersionMinor);
}

}  // namespace kv
