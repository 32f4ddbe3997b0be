#pragma once
// Many files read in turn, more than a process may hold open at once (a
// series of thousands of pieces): each is opened when it is read and stays
// open until another one is.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "recovery/positioned_file.h"

namespace kv {

class FileShelf {
 public:
  class File final : public ByteRange {
   public:
    File(FileShelf& shelf, std::string path, std::uint64_t size)
        : shelf_(shelf), path_(std::move(path)), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    // False also when the file cannot be opened or no longer holds the bytes.
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;
    const std::string& Path() const { return path_; }

   private:
    FileShelf& shelf_;
    std::string path_;
    std::uint64_t size_;
  };

  // A file of `size` bytes the shelf reads; it lives as long as the shelf.
  const File& Add(std::string path, std::uint64_t size);
  // The errno of the last open or read that failed.
  int Error() const { return error_; }

 private:
  const PositionedFile* Opened(const File& file);

  std::deque<File> files_;
  const File* openFile_ = nullptr;
  std::unique_ptr<PositionedFile> open_;
  int error_ = 0;
};

}  // namespace kv
