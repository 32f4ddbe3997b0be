#include "platform/positioned_file.h"

#include <cerrno>
#include <cstring>

#include "platform/retry_on_interrupt.h"
#include "platform/system_calls.h"

namespace kv {

bool MemoryRange::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (offset > bytes_.size() || out.size() > bytes_.size() - offset) {
    return false;
  }
  std::memcpy(out.data(), bytes_.data() + offset, out.size());
  return true;
}

PositionedFile::PositionedFile(FileHandle file, std::uint64_t size, std::string path)
    : file_(file), size_(size), path_(std::move(path)) {}

PositionedFile::~PositionedFile() {
  if (file_.Valid()) {
    ActiveSystemCalls().Close(file_);
  }
}

Result<std::unique_ptr<PositionedFile>> PositionedFile::OpenForReading(const std::string& path) {
  const Result<RegularFile> opened = OpenRegularFile(path, false);
  if (!opened) {
    return opened.Error();
  }
  return std::unique_ptr<PositionedFile>(
      new PositionedFile(opened->handle, static_cast<std::uint64_t>(opened->facts.size), path));
}

Result<std::unique_ptr<PositionedFile>> PositionedFile::Create(const std::string& path) {
  const FileHandle file =
      RetryOnInterrupt([&] { return ActiveSystemCalls().Open(path.c_str(), true, false); });
  if (!file.Valid()) {
    return LastFailure(path);
  }
  return std::unique_ptr<PositionedFile>(new PositionedFile(file, 0, path));
}

Result<std::unique_ptr<PositionedFile>> PositionedFile::CreateTemporary(const std::string& folder) {
  const std::string where = folder.empty() ? "." : folder;
  const FileHandle file =
      RetryOnInterrupt([&] { return ActiveSystemCalls().OpenTemporary(where.c_str()); });
  if (!file.Valid()) {
    return LastFailure(where);
  }
  return std::unique_ptr<PositionedFile>(new PositionedFile(file, 0, where + "/(temporary)"));
}

bool PositionedFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (offset > size_ || out.size() > size_ - offset) {
    return false;
  }
  SystemCalls& calls = ActiveSystemCalls();
  std::size_t done = 0;
  while (done < out.size()) {
    const std::int64_t n = RetryOnInterrupt([&] {
      return calls.ReadAt(file_, out.data() + done, out.size() - done,
                          static_cast<std::int64_t>(offset + done));
    });
    if (n <= 0) {
      error_.store(n < 0 ? errno : EIO);  // a file that shrank reads short
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool PositionedFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  SystemCalls& calls = ActiveSystemCalls();
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::int64_t n = RetryOnInterrupt([&] {
      return calls.WriteAt(file_, bytes.data() + done, bytes.size() - done,
                           static_cast<std::int64_t>(offset + done));
    });
    if (n <= 0) {
      error_.store(n < 0 ? errno : ENOSPC);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  if (offset + done > size_) {
    size_ = offset + done;
  }
  return true;
}

Status PositionedFile::Finish() {
  if (!file_.Valid()) {
    return error_.load() == 0 ? Status() : Status(Fault());
  }
  SystemCalls& calls = ActiveSystemCalls();
  const bool synced = RetryOnInterrupt([&] { return calls.Fsync(file_); }) == 0;
  if (!synced) {
    error_.store(errno);
  }
  const bool closed = calls.Close(file_) == 0;
  if (!closed && synced) {
    error_.store(errno);
  }
  file_ = FileHandle();
  return synced && closed ? Status() : Status(Fault());
}

}  // namespace kv
