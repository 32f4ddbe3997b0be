#pragma once
// Builds the bytes of a stub data file ("Kolvanto.dat") for tests: version,
// kind directory and stubs, laid out as the program reads them.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kv::test {

struct TestStubKind {
  std::string name;
  std::vector<std::uint8_t> stub;
};

inline std::vector<std::uint8_t> BuildStubDataFile(int major, int minor,
                                                   const std::vector<TestStubKind>& kinds) {
  std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(major),
                                  static_cast<std::uint8_t>(minor)};
  for (const TestStubKind& kind : kinds) {
    bytes.insert(bytes.end(), kind.name.begin(), kind.name.end());
    bytes.push_back(0);
    const auto size = static_cast<std::uint32_t>(kind.stub.size());
    for (int shift = 0; shift < 32; shift += 8) {
      bytes.push_back(static_cast<std::uint8_t>(size >> shift));
    }
  }
  bytes.push_back(0);
  for (const TestStubKind& kind : kinds) {
    bytes.insert(bytes.end(), kind.stub.begin(), kind.stub.end());
  }
  return bytes;
}

}  // namespace kv::test
