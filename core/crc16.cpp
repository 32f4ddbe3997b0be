#include "core/crc16.h"

#include "core/crc16_paths.h"

namespace kv {
namespace crc16 {

bool PathAvailable(Path path) {
  switch (path) {
    case Path::kTables:
      return true;
    case Path::kClmul:
      return HasClmul();
    case Path::kVpclmul:
      return HasVpclmul();
  }
  return false;
}

Path FastestPath() {
  static const Path fastest = HasVpclmul() ? Path::kVpclmul
                              : HasClmul() ? Path::kClmul
                                           : Path::kTables;
  return fastest;
}

const char* PathName(Path path) {
  switch (path) {
    case Path::kTables:
      return "slicing-by-16";
    case Path::kClmul:
      return "PCLMULQDQ";
    case Path::kVpclmul:
      return "VPCLMULQDQ";
  }
  return "?";
}

std::uint16_t FoldWith(Path path, std::uint16_t crc, const void* data, std::size_t length) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  switch (path) {
    case Path::kTables:
      return FoldTables(crc, p, length);
    case Path::kClmul:
      return FoldClmul(crc, p, length);
    case Path::kVpclmul:
      return FoldVpclmul(crc, p, length);
  }
  return crc;
}

}  // namespace crc16

namespace {

using FoldFunction = std::uint16_t (*)(std::uint16_t, const std::uint8_t*, std::size_t);

// Chosen once, on the first CRC of the process.
FoldFunction FastestFold() {
  static const FoldFunction fold = [] {
    switch (crc16::FastestPath()) {
      case crc16::Path::kVpclmul:
        return &crc16::FoldVpclmul;
      case crc16::Path::kClmul:
        return &crc16::FoldClmul;
      case crc16::Path::kTables:
        break;
    }
    return &crc16::FoldTables;
  }();
  return fold;
}

// Below this length the tables are as quick as setting up a vector path.
constexpr std::size_t kVectorMinLength = 64;

}  // namespace

std::uint16_t Crc16::Update(const void* data, std::size_t length, bool continueRun) {
  if (!continueRun) {
    value_ = 0;
  }
  if (length > 0) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    value_ = length < kVectorMinLength ? crc16::FoldTables(value_, p, length)
                                       : FastestFold()(value_, p, length);
  }
  return value_;
}

std::uint16_t Crc16Of(const void* data, std::size_t length) {
  Crc16 crc;
  return crc.Update(data, length, false);
}

}  // namespace kv
