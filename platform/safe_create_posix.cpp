#include "platform/safe_create.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_kind_posix.h"
#include "platform/system_calls.h"

namespace kv {

namespace {

NameKind KindOfMode(mode_t mode) {
  if (S_ISLNK(mode)) {
    return NameKind::kLink;
  }
  switch (FileKindOfMode(mode)) {
    case FileKind::kRegular:
      return NameKind::kRegular;
    case FileKind::kFolder:
      return NameKind::kFolder;
    default:
      return NameKind::kOther;
  }
}

// Removes the name; gone in the meantime is as good as removed.
Status Unlink(const std::string& path) {
  return StatusOf(::unlink(path.c_str()) == 0 || errno == ENOENT, path);
}

}  // namespace

NameIdentity IdentityOfName(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    return {};
  }
  return {KindOfMode(st.st_mode), static_cast<std::uint64_t>(st.st_dev),
          static_cast<std::uint64_t>(st.st_ino)};
}

NameKind KindOfName(const std::string& path) {
  return IdentityOfName(path).kind;
}

Status RemoveAskedFile(const std::string& path, const NameIdentity& asked) {
  // Asked again right before the removal: the answer was about that file only.
  const NameIdentity now = IdentityOfName(path);
  if (now.kind == NameKind::kNone || now.kind != asked.kind || now.device != asked.device ||
      now.inode != asked.inode) {
    return {};
  }
  return Unlink(path);
}

Status PutInPlace(const std::string& written, const std::string& path) {
  const NameKind there = KindOfName(path);
  if (there != NameKind::kNone && there != NameKind::kRegular && there != NameKind::kLink) {
    return Failure{SystemError(EEXIST), path};
  }
  return StatusOf(ActiveSystemCalls().Rename(written.c_str(), path.c_str()) == 0, path);
}

Status ClearNameForPiece(const std::string& path) {
  const NameKind kind = KindOfName(path);
  if (kind != NameKind::kLink && kind != NameKind::kRegular) {
    return {};
  }
  return Unlink(path);
}

}  // namespace kv
