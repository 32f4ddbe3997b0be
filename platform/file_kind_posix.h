#pragma once
// The kind of file a POSIX mode names, shared by the POSIX files of this
// layer (this header shows a system type and is included by no other).

#include <sys/stat.h>

#include "platform/system_calls.h"

namespace kv {

inline FileKind FileKindOfMode(mode_t mode) {
  if (S_ISREG(mode)) {
    return FileKind::kRegular;
  }
  if (S_ISDIR(mode)) {
    return FileKind::kFolder;
  }
  if (S_ISFIFO(mode) || S_ISSOCK(mode)) {
    return FileKind::kStream;
  }
  return S_ISCHR(mode) || S_ISBLK(mode) ? FileKind::kDevice : FileKind::kOther;
}

}  // namespace kv
