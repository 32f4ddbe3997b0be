#include "recovery/file_shelf.h"

#include <cerrno>

namespace kv {

const FileShelf::File& FileShelf::Add(std::string path, std::uint64_t size) {
  return files_.emplace_back(*this, std::move(path), size);
}

const PositionedFile* FileShelf::Opened(const File& file) {
  if (openFile_ != &file) {
    open_.reset();
    openFile_ = nullptr;
    open_ = PositionedFile::OpenForReading(file.Path());
    if (open_ == nullptr) {
      error_ = errno;
      return nullptr;
    }
    openFile_ = &file;
  }
  return open_.get();
}

bool FileShelf::File::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (offset > size_ || out.size() > size_ - offset) {
    return false;
  }
  const PositionedFile* file = shelf_.Opened(*this);
  if (file == nullptr) {
    return false;
  }
  if (!file->ReadAt(offset, out)) {  // the file shrank, or its medium failed
    shelf_.error_ = file->Error();
    return false;
  }
  return true;
}

}  // namespace kv
