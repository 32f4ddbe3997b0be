#pragma once
// The system's handle of an open file as the system-call seam passes it: a
// descriptor on POSIX systems. A plain value: whoever opened the file closes it.

#include <compare>

namespace kv {

#ifdef _WIN32
using NativeFileHandle = void*;  // a HANDLE
inline const NativeFileHandle kNoNativeFile = reinterpret_cast<void*>(-1);
#else
using NativeFileHandle = int;  // a file descriptor
inline constexpr NativeFileHandle kNoNativeFile = -1;
#endif

class FileHandle {
 public:
  // No file: what a failed open gives.
  FileHandle() = default;
  explicit FileHandle(NativeFileHandle native) : native_(native) {}

  NativeFileHandle Native() const { return native_; }
  bool Valid() const { return native_ != kNoNativeFile; }
  friend bool operator==(const FileHandle&, const FileHandle&) = default;
  friend auto operator<=>(const FileHandle&, const FileHandle&) = default;

 private:
  NativeFileHandle native_ = kNoNativeFile;
};

}  // namespace kv
