#include "core/byte_source.h"

#include <algorithm>
#include <cstring>

namespace kv {

std::int64_t MemorySource::Read(std::span<std::byte> out) {
  const auto left = static_cast<std::size_t>(Size() - position_);
  const std::size_t n = std::min(left, out.size());
  if (n > 0) {
    std::memcpy(out.data(), data_.data() + position_, n);
  }
  position_ += static_cast<std::int64_t>(n);
  return static_cast<std::int64_t>(n);
}

bool MemorySource::Seek(std::int64_t position) {
  if (position < 0 || position > Size()) {
    return false;
  }
  position_ = position;
  return true;
}

bool MemorySource::LookAhead(std::int64_t length, const Look& look) {
  if (length < 0 || length > Size() - position_) {
    return false;
  }
  look(data_.data() + position_, static_cast<std::size_t>(length));
  position_ += length;
  return true;
}

}  // namespace kv
