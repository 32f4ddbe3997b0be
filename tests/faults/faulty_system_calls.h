#pragma once
// System calls that fail on purpose: the file layer's real calls, except that
// the files whose names end in a chosen text see a read fail with EIO past a
// byte count, writes cut short or refused (ENOSPC, or another errno) past a byte count, a
// failing fsync, close or rename; and every call may be interrupted once (EINTR)
// before it is let through. A kernel copy counts as a read of its source and
// a write of its output, and may itself fail, end early or request a cancel.

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/system_calls.h"

namespace kv::test {

struct Faults {
  std::string target;             // the end of the names the faults below apply to
  std::int64_t readFailsAt = -1;  // reads deliver this many bytes, then fail with EIO
  std::int64_t writeFullAt = -1;  // writes take this many bytes, then fail with writeError
  int writeError = ENOSPC;
  bool shortWrites = false;                 // every write takes half of what it is given
  bool fsyncFails = false;                  // fsync fails with EIO
  bool folderFsyncFails = false;            // on every folder: fsync fails with EIO
  bool folderFsyncFailsOnceClosed = false;  // the same, once a targeted file was closed
  bool closeFails = false;                  // close releases the file but reports EIO
  int renameFails = 0;                      // a rename onto a targeted name fails with this errno
  bool interruptEveryCall = false;          // on every file: each call is first interrupted
  bool grows = false;  // once it has been read from, fstat says one byte longer
  // Kernel copies, on every file:
  int copyFails = 0;                // each fails with this errno (0: none does)
  std::int64_t copyEndsAt = -1;     // past this many bytes moved, each moves nothing
  std::int64_t copyCancelsAt = -1;  // once this many bytes are moved, *cancel asks for a stop
  std::atomic<int>* cancel = nullptr;
  std::string shrinksAfterCopy = {};  // this file is emptied once the first kernel copy is done
  int slowCopies = 0;  // the first kernel copies take 25 ms each (a slow medium, its cache full)
};

class FaultySystemCalls final : public SystemCalls {
 public:
  explicit FaultySystemCalls(Faults faults) : faults_(std::move(faults)) {}

  FileHandle Open(const char* path, bool forWriting, bool nonBlocking) override;
  std::int64_t Read(FileHandle file, void* out, std::size_t count) override;
  std::int64_t Write(FileHandle file, const void* data, std::size_t count) override;
  std::int64_t ReadAt(FileHandle file, void* out, std::size_t count,
                      std::int64_t position) override;
  std::int64_t WriteAt(FileHandle file, const void* data, std::size_t count,
                       std::int64_t position) override;
  std::int64_t CopyFileRange(FileHandle in, FileHandle out, std::size_t count) override;
  int Stat(FileHandle file, FileFacts& facts) override;
  int Fsync(FileHandle file) override;
  int FsyncFolder(const char* path) override;
  int Close(FileHandle file) override;
  int Rename(const char* from, const char* to) override;
  int RenameNoReplace(const char* from, const char* to) override;

  // How many calls were interrupted.
  int Interrupted() const;
  // Every fsync in order, "fsync NAME" or "fsync folder PATH", with the
  // test's own notes in between.
  std::vector<std::string> Journal() const;
  void Note(const std::string& entry);
  // How many bytes kernel copies have moved.
  std::int64_t Copied() const;
  // The count each kernel copy was asked for, in order.
  std::vector<std::size_t> CopyRequests() const;

 private:
  bool Targeted(FileHandle file) const;
  // True (errno EINTR) when this call on `file` (no file: an open) is to be
  // interrupted: every other one, so that the retry goes through.
  bool Interrupt(FileHandle file);
  // The part of `count` the faults let a read of, and a write to, the targeted files take.
  std::size_t ReadLeft(FileHandle file, std::size_t count) const;
  std::size_t WriteRoom(FileHandle file, std::size_t count) const;
  // A read or write of `count` bytes on `file` as the faults let it through:
  // `call` makes it with the count they allow.
  std::int64_t FaultyRead(FileHandle file, std::size_t count,
                          const std::function<std::int64_t(std::size_t)>& call);
  std::int64_t FaultyWrite(FileHandle file, std::size_t count,
                           const std::function<std::int64_t(std::size_t)>& call);

  const Faults faults_;
  mutable std::mutex mutex_;
  std::set<FileHandle> targeted_;
  std::map<FileHandle, std::string> names_;
  std::vector<std::string> journal_;
  std::int64_t read_ = 0;
  std::int64_t written_ = 0;
  std::int64_t copied_ = 0;
  std::vector<std::size_t> copyRequests_;
  std::map<FileHandle, bool> passNext_;
  int interrupted_ = 0;
  bool readFrom_ = false;
  bool targetClosed_ = false;
};

}  // namespace kv::test
