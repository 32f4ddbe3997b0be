#pragma once
// Reading and writing at given positions: recovery files are read in
// stripes across many places and written out of order (a recovery packet's
// header once its slice is complete).

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/result.h"
#include "platform/file_handle.h"

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
  // The file, or why it cannot be opened or created (EISDIR for what is not a regular file).
  static Result<std::unique_ptr<PositionedFile>> OpenForReading(const std::string& path);
  static Result<std::unique_ptr<PositionedFile>> Create(const std::string& path);
  // A file without a name in `folder`, for reading and writing, gone once
  // closed (an unnamed file where the file system offers one; otherwise one
  // created exclusively and removed at once).
  static Result<std::unique_ptr<PositionedFile>> CreateTemporary(const std::string& folder);
  ~PositionedFile() override;
  PositionedFile(const PositionedFile&) = delete;
  PositionedFile& operator=(const PositionedFile&) = delete;

  std::uint64_t Size() const override { return size_; }
  // The failure of a read or write that fails is kept in Fault(): they run
  // chunk after chunk over whole series.
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;
  // Writes every byte at `offset`.
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // Puts the file on its medium and closes it.
  Status Finish();
  // The last read or write that failed, on this file (EIO for a file that
  // shrank, ENOSPC for a write that took nothing).
  Failure Fault() const { return {SystemError(error_.load()), path_}; }
  const std::string& Path() const { return path_; }

 private:
  PositionedFile(FileHandle file, std::uint64_t size, std::string path);
  FileHandle file_;
  std::uint64_t size_;
  std::string path_;
  mutable std::atomic<int> error_ = 0;  // two threads may read through one file
};

}  // namespace kv
