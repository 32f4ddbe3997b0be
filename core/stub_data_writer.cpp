#include "core/stub_data_writer.h"

namespace kv {

std::vector<std::uint8_t> BuildStubDataFile(int major, int minor,
                                            const std::vector<StubDataEntry>& kinds) {
  std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(major),
                                  static_cast<std::uint8_t>(minor)};
  for (const StubDataEntry& kind : kinds) {
    bytes.insert(bytes.end(), kind.name.begin(), kind.name.end());
    bytes.push_back(0);
    const auto size = static_cast<std::uint32_t>(kind.stub.size());
    for (int shift = 0; shift < 32; shift += 8) {
      bytes.push_back(static_cast<std::uint8_t>(size >> shift));
    }
  }
  bytes.push_back(0);
  for (const StubDataEntry& kind : kinds) {
    bytes.insert(bytes.end(), kind.stub.begin(), kind.stub.end());
  }
  return bytes;
}

}  // namespace kv
