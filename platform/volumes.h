#pragma once
// The media that pieces are written to and read from: free space and
// readiness, the mount point that holds a path, and which mount points count
// as removable.

#include <cstdint>
#include <string>

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

// Free bytes: blocks × block size, saturated at the largest 64-bit count.
std::uint64_t SaturatedFreeBytes(std::uint64_t blocks, std::uint64_t blockSize);
// The largest file the file system holding `folder` can hold; 0 when it sets
// no limit a piece could reach or cannot be asked.
std::uint64_t LargestFileIn(const std::string& folder);
// The folder part of a file name: up to its last "/", "/" for a name in the
// root, "." for a name without a folder.
std::string FolderOfFile(const std::string& fileName);
// True when `path` is `folder` or lies below it, compared by path components.
bool PathIsAtOrBelow(const std::string& path, const std::string& folder);
// True when `path` lies at or below one of the ";"-separated mount points.
bool PathOnListedMount(const std::string& path, const std::string& removableDrive);

}  // namespace kv
