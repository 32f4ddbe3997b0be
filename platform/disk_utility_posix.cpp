#include <unistd.h>

#include "platform/disk_utility.h"

namespace kv {

std::string FindOnSearchPath(const std::string& program, const std::string& searchPath) {
  std::size_t start = 0;
  while (start <= searchPath.size()) {
    std::size_t end = searchPath.find(':', start);
    if (end == std::string::npos) {
      end = searchPath.size();
    }
    const std::string folder = searchPath.substr(start, end - start);
    // An empty entry means the current folder, which is never searched for a tool.
    if (!folder.empty()) {
      const std::string candidate = folder + "/" + program;
      if (::access(candidate.c_str(), X_OK) == 0) {
        return candidate;
      }
    }
    start = end + 1;
  }
  return {};
}

}  // namespace kv
