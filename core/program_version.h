#pragma once
// This program's version: recorded with the saved settings, and the newest
// RequiredVersion a piece may ask for.

namespace kv {

inline constexpr int kProgramVersionMajor = 3;
inline constexpr int kProgramVersionMinor = 12;

}  // namespace kv
