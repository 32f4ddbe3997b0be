#pragma once
// Where a job's bytes go: a piece or a restored file. Writes every byte or
// reports false.

#include <cstddef>
#include <span>

namespace kv {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(std::span<const std::byte> data) = 0;
};

}  // namespace kv
