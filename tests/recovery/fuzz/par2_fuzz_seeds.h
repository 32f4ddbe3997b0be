#pragma once
// The seed corpus of the PAR2 fuzz target, made afresh at each run: small
// real sets written by this program's writer, and the same sets with lying
// lengths, bad MD5s, duplicates, a foreign set, junk and cuts.

#include <cstdint>
#include <string>
#include <vector>

namespace kv::test {

struct Seed {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// Writes the real sets under `scratchFolder` (an existing, empty folder).
std::vector<Seed> MakePar2Seeds(const std::string& scratchFolder);

}  // namespace kv::test
