#pragma once
// This program's version: the newest RequiredVersion a piece may ask for.

namespace kv {

constexpr int kProgramVersionMajor = 3;
constexpr int kProgramVersionMinor = 12;

}  // namespace kv
