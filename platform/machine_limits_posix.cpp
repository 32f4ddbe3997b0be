#include <sys/resource.h>
#include <unistd.h>

#include "platform/machine_limits.h"

namespace kv {

std::uint64_t MemoryBytes() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0
             ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize)
             : 0;
}

std::uint64_t OpenFilesAllowed(std::uint64_t fallback) {
  rlimit limit{};
  return ::getrlimit(RLIMIT_NOFILE, &limit) == 0 ? static_cast<std::uint64_t>(limit.rlim_cur)
                                                 : fallback;
}

}  // namespace kv
