#pragma once
// A binary file opened for reading or for writing, with a large buffer beneath
// the small steps of a job, so the count of system calls does not grow with
// the count of 1024-byte steps. 64-bit positions on every platform.

#include <cstdio>
#include <memory>
#include <string>

#include "core/byte_source.h"

namespace kv {

class BinaryFile final : public ByteSource {
 public:
  enum class Mode {
    kRead,         // existing file, reading only
    kCreateWrite,  // create or truncate, writing only
  };
  static constexpr std::size_t kBufferSize = 256 * 1024;

  // Opens the file; nullptr when it cannot be opened or created.
  static std::unique_ptr<BinaryFile> Open(const std::string& path, Mode mode);
  ~BinaryFile() override;
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  std::int64_t Read(std::span<std::byte> out) override;
  bool Seek(std::int64_t position) override;
  std::int64_t Position() const override;
  std::int64_t Size() const override;

  // Writes every byte or reports false (disk full, I/O error).
  bool Write(std::span<const std::byte> data);
  bool Write(const void* data, std::size_t size) {
    return Write(std::span(static_cast<const std::byte*>(data), size));
  }
  // Flushes and closes; false when buffered bytes could not be written.
  // Closing twice is harmless; the destructor closes silently.
  bool Close();
  const std::string& Path() const { return path_; }

 private:
  BinaryFile(std::FILE* file, std::string path);
  std::FILE* file_;
  std::string path_;
  std::unique_ptr<char[]> buffer_;
};

}  // namespace kv
