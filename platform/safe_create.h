#pragma once
// What stands under a name a job is about to create, asked of the name itself
// (lstat): a symbolic link, dangling or not, and a file the user may write but
// not read are there like any other file. Files themselves are created by
// BinaryFile in kCreateWrite mode, exclusively and never through a link.

#include <cstdint>
#include <string>

#include "core/result.h"

namespace kv {

enum class NameKind {
  kNone,     // nothing of that name
  kLink,     // a symbolic link, whatever it points at
  kRegular,  // a regular file, readable or not
  kFolder,
  kOther,  // a pipe, socket or device
};

// What stands under a name, asked of the name itself (links not followed):
// its kind and, when something is there, its device and inode.
struct NameIdentity {
  NameKind kind = NameKind::kNone;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};
NameIdentity IdentityOfName(const std::string& path);

// The kind of the name itself, links not followed.
NameKind KindOfName(const std::string& path);

// Removes the file the user agreed to write over, `asked` being what stood
// under the name when the question was asked. Only that very file goes:
// anything put under the name since (by another job, say) stays, and the
// exclusive creation that follows fails with EEXIST. Success when the name was
// removed or no longer holds the asked file; the failure of the removal else.
Status RemoveAskedFile(const std::string& path, const NameIdentity& asked);

// Puts the finished file `written` under `path` in one step, in place of the
// regular file or link standing there (or of nothing). Anything else there
// (a folder, pipe or device) stays: a failure with EEXIST. The rename's
// failure (on `path`) when it fails; `written` then stays as it is.
Status PutInPlace(const std::string& written, const std::string& path);

// Frees a name a job writes over without asking (a following piece of a
// divide): a link is removed, never its target, and so is a regular file.
// Anything else stays, and the exclusive creation then fails. The failure
// when a removal failed.
Status ClearNameForPiece(const std::string& path);

}  // namespace kv
