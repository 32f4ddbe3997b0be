#pragma once
// A positioned byte source: what the piece-format readers walk. A file and a
// block of memory (tests, fuzzing) both provide it; no reader ever gets more
// bytes than the source holds.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace kv {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to out.size() bytes at the current position and advances by the
  // count read. Returns that count: short at the end, -1 on an I/O error.
  virtual std::int64_t Read(std::span<std::byte> out) = 0;
  // Moves to an absolute position in [0, Size()]; false when out of range or on error.
  virtual bool Seek(std::int64_t position) = 0;
  virtual std::int64_t Position() const = 0;
  // Total length in bytes; -1 when it cannot be told.
  virtual std::int64_t Size() const = 0;
  // Shows `look` the next `length` bytes where they already are, in one or
  // more calls in order, and moves past them. False when this source cannot,
  // or a page of them could not be had: `look` may then have seen part of
  // them, and the position is unchanged, so a read tells what is wrong.
  // `look` may be left mid-way without returning: it must own nothing.
  using Look = std::function<void(const std::byte*, std::size_t)>;
  virtual bool LookAhead(std::int64_t /*length*/, const Look& /*look*/) { return false; }

  // Reads exactly out.size() bytes or reports false (the position then is undefined).
  bool ReadExact(std::span<std::byte> out) {
    return Read(out) == static_cast<std::int64_t>(out.size());
  }
  // One byte as 0..255, or -1 at the end or on error.
  int ReadByte() {
    std::byte b{};
    return Read(std::span(&b, 1)) == 1 ? static_cast<int>(b) : -1;
  }
};

// A read-only view of bytes held by the caller.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const std::byte> data) : data_(data) {}
  explicit MemorySource(const std::vector<std::uint8_t>& data)
      : data_(reinterpret_cast<const std::byte*>(data.data()), data.size()) {}
  // The source only looks at the bytes: a temporary would be gone before the first read.
  explicit MemorySource(std::vector<std::uint8_t>&&) = delete;

  std::int64_t Read(std::span<std::byte> out) override;
  bool Seek(std::int64_t position) override;
  std::int64_t Position() const override { return position_; }
  std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }
  bool LookAhead(std::int64_t length, const Look& look) override;

 private:
  std::span<const std::byte> data_;
  std::int64_t position_ = 0;
};

}  // namespace kv
