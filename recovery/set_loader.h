#pragma once
// The recovery files of a set found in a folder: NAME.par2 and every
// NAME.*.par2 (".PAR2" too) beside it, read leniently and put together.

#include <memory>
#include <string>
#include <vector>

#include "platform/positioned_file.h"
#include "recovery/par2_set.h"

namespace kv::par2 {

struct LoadedSet {
  std::vector<std::unique_ptr<PositionedFile>> files;  // what the set's references read
  std::vector<std::string> names;                      // their file names, the index first
  RecoverySet set;
};

LoadedSet LoadRecoveryFiles(const std::string& folder, const std::string& setName);

}  // namespace kv::par2
