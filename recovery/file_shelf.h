#pragma once
// Many files read in turn, more than a process may hold open at once (a
// series of thousands of pieces): each is opened when it is read and stays
// open while there is room (a quarter of the files the process may open).
// Two threads may read through one shelf: a file is closed only once no
// read uses it.

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/positioned_file.h"

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
  // Files are added from one thread, before any is read.
  const File& Add(std::string path, std::uint64_t size);
  // The last open or read that failed.
  Failure Fault() const;

 private:
  struct OpenFile {
    const File* file = nullptr;
    std::shared_ptr<const PositionedFile> open;
  };
  std::shared_ptr<const PositionedFile> Opened(const File& file);
  void Keep(Failure failure);

  std::deque<File> files_;
  mutable std::mutex mutex_;
  std::vector<OpenFile> open_;  // the most recently read last
  Failure fault_;
};

}  // namespace kv
