#pragma once
// The media that pieces are written to and read from: free space and
// readiness, the mount point that holds a path, and which mount points count
// as removable.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

// The answer to a free-space question.
struct FreeSpace {
  bool ready = false;       // false: the medium is not ready (the query failed)
  std::uint64_t bytes = 0;  // 0 when not ready
  // The largest file the medium's file system can hold; 0 when it sets no
  // limit of its own (or none could be asked).
  std::uint64_t largestFile = 0;
  int error = 0;       // not ready: the errno of the failed query
  std::string folder;  // the folder asked about
};

// What the jobs ask of the media; tests put a fake in its place.
class Volumes {
 public:
  virtual ~Volumes() = default;
  // Free space of the folder that will hold `fileName`.
  virtual FreeSpace QueryFreeSpace(const std::string& fileName) = 0;
  // The mount point holding `path` (the longest mounted prefix); "/" when none is known.
  virtual std::string MountPointOf(const std::string& path) = 0;
  // True when `path` lies at or below one of the ";"-separated mount points.
  virtual bool IsOnRemovable(const std::string& path, const std::string& removableDrive) = 0;
  // The mounted removable media, as a ";"-separated list of mount points.
  virtual std::string DetectRemovableMounts() = 0;
};

// The real media of this machine.
class SystemVolumes final : public Volumes {
 public:
  FreeSpace QueryFreeSpace(const std::string& fileName) override;
  std::string MountPointOf(const std::string& path) override;
  bool IsOnRemovable(const std::string& path, const std::string& removableDrive) override;
  std::string DetectRemovableMounts() override;
};

// One line of /proc/self/mountinfo, the fields the program uses.
struct MountEntry {
  unsigned major = 0;
  unsigned minor = 0;
  std::string mountPoint;  // escapes decoded
  std::string fsType;
  std::string source;
};

// Free bytes: blocks × block size, saturated at the largest 64-bit count.
std::uint64_t SaturatedFreeBytes(std::uint64_t blocks, std::uint64_t blockSize);
// The largest file a file system of statfs type `fsType` can hold; 0 when
// it sets no limit a piece could reach (FAT12/16/32 hold 4 GiB − 1 bytes).
std::uint64_t LargestFileOf(std::uint64_t fsType);
// The folder part of a file name: up to its last "/", "/" for a name in the
// root, "." for a name without a folder.
std::string FolderOfFile(const std::string& fileName);
// Parses mountinfo text; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(const std::string& text);
// Undoes the octal escapes of mountinfo ("\040" is a blank).
std::string DecodeMountField(const std::string& field);
// True when `path` is `folder` or lies below it, compared by path components.
bool PathIsAtOrBelow(const std::string& path, const std::string& folder);
// The longest mount point among `mounts` that holds `path`; "/" when none does.
std::string LongestMountPrefix(const std::vector<MountEntry>& mounts, const std::string& path);
// True when `path` lies at or below one of the ";"-separated mount points.
bool PathOnListedMount(const std::string& path, const std::string& removableDrive);
// The mount points of `mounts` whose block device is removable, judged from
// the sysfs tree at `sysRoot` ("/sys" on a live system); ";"-joined.
std::string RemovableMountList(const std::vector<MountEntry>& mounts, const std::string& sysRoot);

}  // namespace kv
