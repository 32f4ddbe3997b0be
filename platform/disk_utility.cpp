#include "platform/disk_utility.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

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

std::string FindDiskUtility() {
  const char* searchPath = std::getenv("PATH");
  return FindOnSearchPath("gnome-disks", searchPath != nullptr ? searchPath : "/usr/bin:/bin");
}

std::string BlockDeviceOfMount(const std::vector<MountEntry>& mounts,
                               const std::string& mountPoint) {
  // The last mount over a point is the one in force.
  for (auto it = mounts.rbegin(); it != mounts.rend(); ++it) {
    if (it->mountPoint == mountPoint) {
      return it->source.rfind("/dev/", 0) == 0 ? it->source : std::string();
    }
  }
  return {};
}

std::string BlockDeviceOf(Volumes& volumes, const std::string& path) {
  std::ifstream in("/proc/self/mountinfo");
  std::ostringstream text;
  text << in.rdbuf();
  return BlockDeviceOfMount(ParseMountInfo(text.str()), volumes.MountPointOf(path));
}

}  // namespace kv
