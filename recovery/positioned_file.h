#pragma once
// Reading and writing at given positions: the recovery files are read in
// stripes across many places and written out of order (a recovery packet's
// header once its slice is complete).

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kv {

// Bytes that can be read at any position; never past their size.
class ByteRange {
 public:
  virtual ~ByteRange() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads out.size() bytes at `offset`; false (nothing promised in `out`)
  // when they are not all there or the read fails.
  virtual bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

class MemoryRange final : public ByteRange {
 public:
  explicit MemoryRange(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

 private:
  std::span<const std::uint8_t> bytes_;
};

// A regular file, opened for reading or created (exclusively, never through a link).
class PositionedFile final : public ByteRange {
 public:
  // nullptr, errno set, when it cannot be opened or created, or is not a regular file.
  static std::unique_ptr<PositionedFile> OpenForReading(const std::string& path);
  static std::unique_ptr<PositionedFile> Create(const std::string& path);
  // A file without a name in `folder`, for reading and writing, gone once
  // closed (an unnamed file where the file system offers one; otherwise one
  // created exclusively and removed at once). nullptr, errno set, when it cannot be.
  static std::unique_ptr<PositionedFile> CreateTemporary(const std::string& folder);
  ~PositionedFile() override;
  PositionedFile(const PositionedFile&) = delete;
  PositionedFile& operator=(const PositionedFile&) = delete;

  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;
  // Writes every byte at `offset`; false, errno kept in Error(), when it cannot.
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // Puts the file on its medium and closes it; false, errno kept, on failure.
  bool Finish();
  int Error() const { return error_; }
  const std::string& Path() const { return path_; }

 private:
  PositionedFile(int fd, std::uint64_t size, std::string path);
  int fd_;
  std::uint64_t size_;
  std::string path_;
  mutable int error_ = 0;
};

}  // namespace kv
