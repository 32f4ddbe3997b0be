#pragma once
// CRC-16/XMODEM (polynomial 0x1021, MSB first, initial 0, no final XOR): the
// checksum of every Type3 piece body and the seed of the series identities.
// Each run (one divide, one restore, one check) owns its own Crc16 object.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kv {

class Crc16 {
 public:
  // Folds `length` bytes into the running value and returns it. With
  // continueRun false the running value is reset to 0 first, so a call with
  // length 0 and continueRun false only resets and returns 0.
  std::uint16_t Update(const void* data, std::size_t length, bool continueRun);
  std::uint16_t Update(std::span<const std::byte> data, bool continueRun) {
    return Update(data.data(), data.size(), continueRun);
  }
  std::uint16_t Value() const { return value_; }
  void Reset() { value_ = 0; }

 private:
  std::uint16_t value_ = 0;
};

// The CRC of a whole block of bytes, from a fresh start.
std::uint16_t Crc16Of(const void* data, std::size_t length);
inline std::uint16_t Crc16Of(std::string_view text) {
  return Crc16Of(text.data(), text.size());
}
inline std::uint16_t Crc16Of(std::span<const std::uint8_t> bytes) {
  return Crc16Of(bytes.data(), bytes.size());
}

}  // namespace kv
