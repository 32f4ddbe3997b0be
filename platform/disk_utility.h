#pragma once
// The desktop's disk utility, offered by the capacity-shortage dialog in place
// of a format command: where it is installed, and which block device holds a medium.

#include <string>

#include "platform/volumes.h"

namespace kv {

// The full name of the first executable `program` in the ":"-separated
// folders of `searchPath`; empty when none holds one.
std::string FindOnSearchPath(const std::string& program, const std::string& searchPath);

// The disk utility of this desktop (GNOME Disks), found on PATH; empty when not installed.
std::string FindDiskUtility();

// The block device of the medium holding `path` on this machine.
std::string BlockDeviceOf(Volumes& volumes, const std::string& path);

}  // namespace kv
