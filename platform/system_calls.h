#pragma once
// The system calls under the file layer and the block writer, in the one
// place a test can replace them: each returns as its POSIX namesake does
// (-1 with errno set on failure), so a replacement can fail any call with any
// errno, cut a write short or interrupt it. Files are passed as the neutral
// FileHandle, and their kind as a FileKind, so no system's types show here.

#include <cstddef>
#include <cstdint>

#include <string>

#include "core/result.h"
#include "platform/file_handle.h"

namespace kv {

// What stands behind an open file.
enum class FileKind {
  kRegular,
  kFolder,
  kStream,  // a pipe or socket
  kDevice,
  kOther,
};

// What fstat tells the file layer.
struct FileFacts {
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;  // modification time, nanoseconds since the epoch
  FileKind kind = FileKind::kOther;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};

// The errno that names what stands there instead of a regular file, so that
// "PATH: reason" tells the user what is wrong with the name: EISDIR for a
// folder, ESPIPE for a pipe or socket, ENOTSUP for anything else.
int NotRegularError(FileKind kind);

class SystemCalls {
 public:
  virtual ~SystemCalls() = default;
  // Opens for reading, or creates a new file for writing: exclusively, never
  // through a symbolic link (EEXIST when anything stands there); close-on-exec.
  // `nonBlocking` keeps the open of a pipe or device from waiting. No file
  // (an invalid handle) on failure.
  virtual FileHandle Open(const char* path, bool forWriting, bool nonBlocking);
  virtual std::int64_t Read(FileHandle file, void* out, std::size_t count);
  virtual std::int64_t Write(FileHandle file, const void* data, std::size_t count);
  // pread and pwrite: at `position`, the file's own position left as it is.
  virtual std::int64_t ReadAt(FileHandle file, void* out, std::size_t count, std::int64_t position);
  virtual std::int64_t WriteAt(FileHandle file, const void* data, std::size_t count,
                               std::int64_t position);
  // A new file without a name in the folder `folder`, for reading and
  // writing, gone once closed: an unnamed file where the file system offers
  // one, otherwise one created exclusively (never through a link) and removed
  // at once. No file on failure.
  virtual FileHandle OpenTemporary(const char* folder);
  // copy_file_range from the position of `in` to that of `out`, both moved on.
  virtual std::int64_t CopyFileRange(FileHandle in, FileHandle out, std::size_t count);
  // ftruncate.
  virtual int Truncate(FileHandle file, std::int64_t length);
  // lseek to an absolute position.
  virtual std::int64_t Seek(FileHandle file, std::int64_t position);
  virtual int Stat(FileHandle file, FileFacts& facts);
  // Clears O_NONBLOCK after a non-blocking open.
  virtual int MakeBlocking(FileHandle file);
  virtual int Fsync(FileHandle file);
  // Has the system put the entries of the folder `path` on its medium (the
  // names of the files in it, not only their bytes).
  virtual int FsyncFolder(const char* path);
  virtual int Close(FileHandle file);
  // rename: `to` is replaced in one step by the file named `from`.
  virtual int Rename(const char* from, const char* to);
  // rename that fails with EEXIST when anything stands under `to`.
  virtual int RenameNoReplace(const char* from, const char* to);
  // statfs: the type of the file system that holds `path` (its magic number).
  virtual int FileSystemType(const char* path, std::uint64_t& type);
};

// The calls in force: the system's own unless a test has put others in place.
SystemCalls& ActiveSystemCalls();

// Puts `calls` in place for its lifetime. One at a time, and never while a job runs.
class ScopedSystemCalls {
 public:
  explicit ScopedSystemCalls(SystemCalls& calls);
  ~ScopedSystemCalls();
  ScopedSystemCalls(const ScopedSystemCalls&) = delete;
  ScopedSystemCalls& operator=(const ScopedSystemCalls&) = delete;

 private:
  SystemCalls* previous_;
};

// A file opened through the calls in force and found regular, with what
// fstat said of it.
struct RegularFile {
  FileHandle handle;
  FileFacts facts;
};

// Opens `path` without waiting (for reading, or as a new file for writing)
// and keeps it only when it is a regular file, made blocking again: a pipe
// without its other end would block the open, and a device is no piece.
// Otherwise it is closed, and the failure on `path` names what stands there
// (NotRegularError) or keeps the failed call's own errno.
Result<RegularFile> OpenRegularFile(const std::string& path, bool forWriting);

}  // namespace kv
