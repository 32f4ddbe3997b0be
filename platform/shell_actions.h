#pragma once
// What the capacity-shortage dialog and a multi-file drop ask of the desktop:
// a file manager at a medium, the disk utility for it, another copy of the program.

#include <string>

namespace kv {

class ShellActions {
 public:
  virtual ~ShellActions() = default;
  // Opens the desktop file manager at the mount point holding `path`.
  virtual bool OpenFolder(const std::string& path) = 0;
  // Whether a disk utility is installed; the format button is disabled otherwise.
  virtual bool CanOpenDiskUtility() = 0;
  // Opens the disk utility for the block device of the medium holding `path`.
  virtual bool OpenDiskUtility(const std::string& path) = 0;
  // Starts another copy of `program` with the one file name `file`.
  virtual bool StartCopy(const std::string& program, const std::string& file) = 0;
};

// For front ends without a desktop (the command line): nothing can be opened or started.
class NoShellActions final : public ShellActions {
 public:
  bool OpenFolder(const std::string&) override { return false; }
  bool CanOpenDiskUtility() override { return false; }
  bool OpenDiskUtility(const std::string&) override { return false; }
  bool StartCopy(const std::string&, const std::string&) override { return false; }
};

}  // namespace kv
