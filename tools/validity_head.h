#pragma once
// A piece file whose first bytes are read at once: the marker search and the
// header walk, which ask for a few bytes at a time, are served from them,
// and whatever lies beyond is read from the file as it is asked for.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "core/byte_source.h"
#include "core/page_buffer.h"

namespace kv {

class HeadReadSource final : public ByteSource {
 public:
  // Enough for the headers this program writes, and large enough for the
  // file layer to read it straight into place.
  static constexpr std::size_t kHeadSize = 64 * 1024;

  explicit HeadReadSource(std::unique_ptr<ByteSource> file);
  ~HeadReadSource() override;
  HeadReadSource(const HeadReadSource&) = delete;
  HeadReadSource& operator=(const HeadReadSource&) = delete;

  std::int64_t Read(std::span<std::byte> out) override;
  bool Seek(std::int64_t position) override;
  std::int64_t Position() const override { return position_; }
  // Taken once: a file that shrinks later shows it in its reads.
  std::int64_t Size() const override;
  bool LookAhead(std::int64_t length, const Look& look) override;

 private:
  // Reads the head on the first call; false when that read failed.
  bool LoadHead();

  std::unique_ptr<ByteSource> file_;
  PageBuffer head_;
  std::int64_t headLength_ = -1;  // -1 until read
  std::int64_t position_ = 0;
  std::int64_t filePosition_ = 0;  // where file_ stands
  mutable std::int64_t size_ = -1;
};

}  // namespace kv
