#pragma once
// A binary file opened for reading or for writing, with a large buffer beneath
// the small steps of a job, so the count of system calls does not grow with
// the count of 1024-byte steps. Large reads and writes go straight between the
// caller's bytes and the file, without a copy through the buffer.
// 64-bit positions on every platform.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/byte_sink.h"
#include "core/byte_source.h"
#include "core/page_buffer.h"
#include "core/result.h"
#include "platform/system_calls.h"

namespace kv {

class BinaryFile final : public ByteSource, public ByteSink {
 public:
  enum class Mode {
    kRead,         // existing file, reading only
    kCreateWrite,  // a new file, created exclusively and never through a link; writing only
  };
  static constexpr std::size_t kBufferSize = 256 * 1024;
  // Reads and writes of at least this many bytes bypass the buffer.
  static constexpr std::size_t kDirectSize = 64 * 1024;

  // Opens the file without waiting; the failure (with `path`) when it cannot
  // be opened or created, or is not a regular file: a folder gives EISDIR, a
  // pipe or socket ESPIPE, a device ENOTSUP.
  static Result<std::unique_ptr<BinaryFile>> Open(const std::string& path, Mode mode);
  // Writes to a file that is already open (standard output, a pipe),
  // shown as `name`; the file takes it over and closes it at the end.
  static std::unique_ptr<BinaryFile> WriteTo(FileHandle open, std::string name);
  // Reads a file that is already open and may not seek (standard
  // input, a pipe), shown as `name`. Its length is not known; a Seek back
  // reaches the last kPageSize bytes read before the buffer was refilled.
  static std::unique_ptr<BinaryFile> ReadFrom(FileHandle open, std::string name);
  ~BinaryFile() override;
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  std::int64_t Read(std::span<std::byte> out) override;
  // Reads until at least `atLeast` bytes are in `out`, taking more (up to
  // out.size()) when the same reads bring them: what a slow source such as a
  // pipe has delivered so far. The count read (below `atLeast` only at the
  // end), -1 on an I/O error.
  std::int64_t ReadAtLeast(std::span<std::byte> out, std::size_t atLeast);
  bool Seek(std::int64_t position) override;
  std::int64_t Position() const override;
  // Through a read-only mapping of the bytes, unmapped after; false when the
  // file does not hold them all, the system refuses to map this file (and
  // from then on), or a page of them could not be read (the file shrank
  // while they were looked at, the medium failed).
  bool LookAhead(std::int64_t length, const Look& look) override;
  std::int64_t Size() const override;
  // What fstat says of the file now, or why it cannot tell.
  Result<FileFacts> Facts() const;

  // What CopyTo reports when the kernel cannot copy between the two files
  // (another filesystem, a pipe, a kernel without the call): nothing moved.
  static constexpr std::int64_t kCopyRefused = -2;
  // Has the kernel move up to `count` bytes from this file's position to the
  // end of `out`, a file being written, without a copy through user space;
  // both positions move on. The count moved, 0 at this file's end, -1 on an
  // error (kept by `out` when its medium is full or read-only, else by this
  // file), or kCopyRefused: then read and write move the bytes.
  std::int64_t CopyTo(BinaryFile& out, std::size_t count);
  // Cuts a file being written back to `length` bytes and writes on from there.
  Status CutTo(std::int64_t length);

  // Read and Write keep the stream style, a count or false with the first
  // failure kept in Fault(): they run at every step of a job and serve the
  // ByteSource and ByteSink interfaces, whose callers read or write on and
  // ask once. The calls that end or change the file (CutTo, Sync, Close)
  // give their failure as a value.
  // Writes every byte or reports false (disk full, I/O error).
  bool Write(std::span<const std::byte> data) override;
  bool Write(const void* data, std::size_t size) {
    return Write(std::span(static_cast<const std::byte*>(data), size));
  }
  // Writes the buffered bytes and has the system put the file on its medium;
  // the failure when either fails.
  Status Sync();
  // Flushes and closes; the failure when buffered bytes could not be written
  // or the close failed. Closing twice is harmless; the destructor closes silently.
  Status Close();
  const std::string& Path() const { return path_; }
  // The errno of the first call that failed on this file; 0 while none has.
  int Error() const { return error_; }
  // That first failed call's error with this file's path.
  Failure Fault() const { return {SystemError(error_), path_}; }

 private:
  BinaryFile(FileHandle file, Mode mode, std::string path);
  // Writes out the buffered bytes; false (and the file marked failed) on error.
  bool Flush();
  // Keeps the errno of a failed call (the first one) and reports the failure.
  bool Failed();
  // Reading: gives up the buffered bytes and puts the file at the
  // position they stood for; false (nothing changed) when it cannot go back.
  bool DropBuffer();

  FileHandle file_;
  Mode mode_;
  std::string path_;
  // The buffer, holding at least `bytes`; what it held stays.
  std::byte* Buffer(std::size_t bytes);

  PageBuffer buffer_;
  std::size_t capacity_ = 0;
  bool buffered_ = false;  // the last read from the file filled the buffer
  // Position of the system's handle in the file.
  std::int64_t filePos_ = 0;
  // Reading: the unread bytes are buffer_[begin_, end_). Writing: buffer_[0, end_) is pending.
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  // Writing: a write failed; nothing more is written and Close reports it.
  bool failed_ = false;
  int error_ = 0;
  // Reading: the kernel refused to copy from this file once, and would again.
  bool copyRefused_ = false;
  bool mapRefused_ = false;
  // Reading a stream that cannot seek: a refill keeps the bytes just read.
  bool stream_ = false;
};

}  // namespace kv
