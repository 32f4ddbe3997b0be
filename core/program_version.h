#pragma once
/* This program's version: recorded with the saved settings, and the newest
 * RequiredVersion a piece may ask for. Plain C as well: the self-restoring
 * stubs check the same version. */

#define KV_PROGRAM_VERSION_MAJOR 3
#define KV_PROGRAM_VERSION_MINOR 12

#ifdef __cplusplus
namespace kv {

inline constexpr int kProgramVersionMajor = KV_PROGRAM_VERSION_MAJOR;
inline constexpr int kProgramVersionMinor = KV_PROGRAM_VERSION_MINOR;

}  // namespace kv
#endif
