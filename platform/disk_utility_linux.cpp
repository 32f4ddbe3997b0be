#include <cstdlib>

#include "platform/disk_utility.h"
#include "platform/mount_table_linux.h"

namespace kv {

std::string FindDiskUtility() {
  const char* searchPath = std::getenv("PATH");
  return FindOnSearchPath("gnome-disks", searchPath != nullptr ? searchPath : "/usr/bin:/bin");
}

std::string BlockDeviceOf(Volumes& volumes, const std::string& path) {
  return BlockDeviceOfMount(SystemMounts(), volumes.MountPointOf(path));
}

}  // namespace kv
