#include "recovery/file_shelf.h"

#include <algorithm>

#include "platform/machine_limits.h"

namespace kv {

namespace {

// A quarter of the files the process may open, within bounds: a stripe
// reads every piece in turn, so the more stay open the fewer are opened again.
std::size_t OpenAtOnce() {
  return static_cast<std::size_t>(std::clamp<std::uint64_t>(OpenFilesAllowed(64) / 4, 3, 512));
}

}  // namespace

const FileShelf::File& FileShelf::Add(std::string path, std::uint64_t size) {
  return files_.emplace_back(*this, std::move(path), size);
}

std::shared_ptr<const PositionedFile> FileShelf::Opened(const File& file) {
  const std::lock_guard lock(mutex_);
  const auto found = std::find_if(open_.begin(), open_.end(),
                                  [&file](const OpenFile& o) { return o.file == &file; });
  if (found != open_.end()) {
    std::rotate(found, found + 1, open_.end());
    return open_.back().open;
  }
  static const std::size_t openAtOnce = OpenAtOnce();
  if (open_.size() >= openAtOnce) {
    // Pieces are read in turn, over and over: the one read last is the one
    // needed again last. It is closed once its last read is done.
    open_.pop_back();
  }
  Result<std::unique_ptr<PositionedFile>> opened = PositionedFile::OpenForReading(file.Path());
  if (!opened) {
    fault_ = opened.Error();
    return nullptr;
  }
  open_.push_back({&file, std::move(*opened)});
  return open_.back().open;
}

void FileShelf::Keep(Failure failure) {
  const std::lock_guard lock(mutex_);
  fault_ = std::move(failure);
}

Failure FileShelf::Fault() const {
  const std::lock_guard lock(mutex_);
  return fault_;
}

bool FileShelf::File::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (offset > size_ || out.size() > size_ - offset) {
    return false;
  }
  const std::shared_ptr<const PositionedFile> file = shelf_.Opened(*this);
  if (file == nullptr) {
    return false;
  }
  if (!file->ReadAt(offset, out)) {  // the file shrank, or its medium failed
    shelf_.Keep(file->Fault());
    return false;
  }
  return true;
}

}  // namespace kv
