#include <filesystem>
#include <system_error>

#include "platform/mount_table_linux.h"
#include "platform/system_calls.h"
#include "platform/volumes.h"

namespace kv {

namespace {

namespace fs = std::filesystem;

// The path with links resolved as far as it exists; the path itself when that fails.
std::string ResolvedPath(const std::string& path) {
  std::error_code ec;
  fs::path resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
  return ec ? path : resolved.string();
}

}  // namespace

std::uint64_t LargestFileIn(const std::string& folder) {
  std::uint64_t fsType = 0;
  return ActiveSystemCalls().FileSystemType(folder.c_str(), fsType) == 0 ? LargestFileOf(fsType)
                                                                         : 0;
}

std::string SystemVolumes::MountPointOf(const std::string& path) {
  return LongestMountPrefix(SystemMounts(), ResolvedPath(path));
}

bool SystemVolumes::IsOnRemovable(const std::string& path, const std::string& removableDrive) {
  return PathOnListedMount(path, removableDrive) ||
         PathOnListedMount(ResolvedPath(path), removableDrive);
}

std::string SystemVolumes::DetectRemovableMounts() {
  return RemovableMountList(SystemMounts(), "/sys");
}

}  // namespace kv
