#include <unistd.h>

#include "platform/file_helpers.h"

namespace kv {

std::string ExecutableFolder() {
  std::string buffer(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
    return {};
  }
  buffer.resize(static_cast<std::size_t>(n));
  const std::size_t slash = buffer.rfind('/');
  if (slash == std::string::npos) {
    return {};
  }
  return slash == 0 ? std::string("/") : buffer.substr(0, slash);
}

}  // namespace kv
