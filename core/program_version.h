#pragma once
/* This program's version: recorded with the saved settings, and the newest
 * RequiredVersion a piece may ask for. Plain C as well: the self-restoring
 * stubs check the same version. The build reads the package version from
 * the two defines. */

#define KV_PROGRAM_VERSION_MAJOR 3
#define KV_PROGRAM_VERSION_MINOR 12

#ifdef __cplusplus
#include <string>

namespace kv {

inline constexpr int kProgramVersionMajor = KV_PROGRAM_VERSION_MAJOR;
inline constexpr int kProgramVersionMinor = KV_PROGRAM_VERSION_MINOR;

// "3.12", as `--version` shows it.
inline std::string ProgramVersionText() {
  return std::to_string(kProgramVersionMajor) + "." + std::to_string(kProgramVersionMinor);
}

}  // namespace kv
#endif
