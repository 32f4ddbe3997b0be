#pragma once
// The program's own version, as shown in the window and recorded with the saved settings.

namespace kv {

inline constexpr int kProgramMajorVersion = 3;
inline constexpr int kProgramMinorVersion = 12;
inline constexpr const char* kProgramMajorText = "3";
inline constexpr const char* kProgramMinorText = "12";

}  // namespace kv
