#pragma once
// What stands under a name a job is about to create, asked of the name itself
// (lstat): a symbolic link, dangling or not, and a file the user may write but
// not read are there like any other file. Files themselves are created by
// BinaryFile in kCreateWrite mode, exclusively and never through a link.

#include <string>

namespace kv {

enum class NameKind {
  kNone,     // nothing of that name
  kLink,     // a symbolic link, whatever it points at
  kRegular,  // a regular file, readable or not
  kFolder,
  kOther,  // a pipe, socket or device
};

// The kind of the name itself, links not followed.
NameKind KindOfName(const std::string& path);

// Frees a name a job writes over without asking (a following piece of a
// divide): a link is removed, never its target, and so is a regular file.
// Anything else stays, and the exclusive creation then fails. False, with
// errno set, when a removal failed.
bool ClearNameForPiece(const std::string& path);

}  // namespace kv
