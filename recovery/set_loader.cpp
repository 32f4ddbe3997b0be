#include "recovery/set_loader.h"

#include <algorithm>

#include "core/ascii_text.h"
#include "platform/file_helpers.h"
#include "recovery/series_pieces.h"

namespace kv::par2 {

namespace {

// The set's file names in the folder, the index first, the rest by name.
std::vector<std::string> SetFileNames(const std::string& folder, const std::string& setName) {
  std::vector<std::string> names;
  const std::string prefix = setName + ".";
  for (const std::string& name : NamesInFolder(folder)) {
    if (IsRecoveryFileName(name) && name.compare(0, prefix.size(), prefix) == 0 &&
        name.size() >= prefix.size() + 4) {
      names.push_back(name);
    }
  }
  const std::string index = IndexFileName(setName);
  std::sort(names.begin(), names.end(), [&index](const std::string& a, const std::string& b) {
    const bool aIndex = EqualsIgnoringAsciiCase(a, index);
    const bool bIndex = EqualsIgnoringAsciiCase(b, index);
    return aIndex != bIndex ? aIndex : a < b;
  });
  return names;
}

}  // namespace

LoadedSet LoadRecoveryFiles(const std::string& folder, const std::string& setName) {
  LoadedSet loaded;
  std::vector<ScanResult> scans;
  KnownPackets known;
  for (const std::string& name : SetFileNames(folder, setName)) {
    Result<std::unique_ptr<PositionedFile>> file = PositionedFile::OpenForReading(folder + name);
    if (!file) {
      continue;  // another file of the set may hold what this one would
    }
    scans.push_back(ScanPackets(**file, known));
    loaded.names.push_back(name);
    loaded.files.push_back(std::move(*file));
  }
  loaded.set = AssembleSet(scans);
  return loaded;
}

}  // namespace kv::par2
