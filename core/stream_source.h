#pragma once
// A regular file read through the standard library's streams: what the core
// reads for itself (the stub data file), apart from the job's file layer.

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "core/byte_source.h"

namespace kv {

class StreamSource final : public ByteSource {
 public:
  // nullptr when `path` is not a regular file (a pipe would block) or cannot be opened.
  static std::unique_ptr<StreamSource> Open(const std::string& path);

  std::int64_t Read(std::span<std::byte> out) override;
  bool Seek(std::int64_t position) override;
  std::int64_t Position() const override { return position_; }
  std::int64_t Size() const override { return size_; }

 private:
  StreamSource(std::ifstream stream, std::int64_t size) : stream_(std::move(stream)), size_(size) {}

  std::ifstream stream_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

}  // namespace kv
