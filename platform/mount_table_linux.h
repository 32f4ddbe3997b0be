#pragma once
// The Linux answers behind SystemVolumes and the disk utility: the mount
// table of /proc/self/mountinfo, which block devices sysfs calls removable,
// and the statfs type of a file system. Internal to the platform layer (and
// its tests); the rest of the program asks Volumes.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

// One line of /proc/self/mountinfo, the fields the program uses.
struct MountEntry {
  unsigned major = 0;
  unsigned minor = 0;
  std::string mountPoint;  // escapes decoded
  std::string fsType;
  std::string source;
};

// Parses mountinfo text; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(const std::string& text);
// Undoes the octal escapes of mountinfo ("\040" is a blank).
std::string DecodeMountField(const std::string& field);
// The mounts of this process, read from /proc/self/mountinfo; empty when it cannot be read.
std::vector<MountEntry> SystemMounts();
// The longest mount point among `mounts` that holds `path`; "/" when none does.
std::string LongestMountPrefix(const std::vector<MountEntry>& mounts, const std::string& path);
// The mount points of `mounts` whose block device is removable, judged from
// the sysfs tree at `sysRoot` ("/sys" on a live system); ";"-joined.
std::string RemovableMountList(const std::vector<MountEntry>& mounts, const std::string& sysRoot);
// The block device mounted at `mountPoint` among `mounts` ("/dev/sdb1");
// empty when the mount has no device behind it.
std::string BlockDeviceOfMount(const std::vector<MountEntry>& mounts,
                               const std::string& mountPoint);
// The largest file a file system of statfs type `fsType` can hold; 0 when
// it sets no limit a piece could reach (FAT12/16/32 hold 4 GiB − 1 bytes).
std::uint64_t LargestFileOf(std::uint64_t fsType);

}  // namespace kv
