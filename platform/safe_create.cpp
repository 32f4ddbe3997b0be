#include "platform/safe_create.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kv {

NameKind KindOfName(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    return NameKind::kNone;
  }
  if (S_ISLNK(st.st_mode)) {
    return NameKind::kLink;
  }
  if (S_ISREG(st.st_mode)) {
    return NameKind::kRegular;
  }
  return S_ISDIR(st.st_mode) ? NameKind::kFolder : NameKind::kOther;
}

bool ClearNameForPiece(const std::string& path) {
  const NameKind kind = KindOfName(path);
  if (kind != NameKind::kLink && kind != NameKind::kRegular) {
    return true;
  }
  // Gone in the meantime is as good as removed.
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace kv
