#pragma once
// Lays out the bytes of a stub data file ("Kolvanto.dat"): the two version
// bytes, the kind directory (name, 0x00, stub size little-endian), the
// directory end and the stubs back to back. Writes what it is given, so a
// caller can also lay out a damaged file on purpose.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

struct StubDataEntry {
  std::string name;
  std::vector<std::uint8_t> stub;
};

std::vector<std::uint8_t> BuildStubDataFile(int major, int minor,
                                            const std::vector<StubDataEntry>& kinds);

}  // namespace kv
