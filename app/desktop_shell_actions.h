#pragma once
// ShellActions on a desktop: the file manager through the desktop's URL
// handler, the disk utility and further copies of the program as detached processes.

#include "platform/shell_actions.h"

namespace kv {

class Volumes;

class DesktopShellActions final : public ShellActions {
 public:
  explicit DesktopShellActions(Volumes& volumes) : volumes_(volumes) {}

  bool OpenFolder(const std::string& path) override;
  bool CanOpenDiskUtility() override;
  bool OpenDiskUtility(const std::string& path) override;
  bool StartCopy(const std::string& program, const std::string& file) override;

 private:
  Volumes& volumes_;
};

}  // namespace kv
