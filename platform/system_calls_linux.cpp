#include <sys/vfs.h>
#include <unistd.h>

#include "platform/system_calls.h"

namespace kv {

std::int64_t SystemCalls::CopyFileRange(FileHandle in, FileHandle out, std::size_t count) {
  return ::copy_file_range(in.Native(), nullptr, out.Native(), nullptr, count, 0);
}

int SystemCalls::FileSystemType(const char* path, std::uint64_t& type) {
  struct statfs st {};
  if (::statfs(path, &st) != 0) {
    return -1;
  }
  type = static_cast<std::uint64_t>(st.f_type);
  return 0;
}

}  // namespace kv
