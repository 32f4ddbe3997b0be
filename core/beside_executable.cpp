#include "core/beside_executable.h"

#include <system_error>

namespace kv {

std::vector<std::filesystem::path> BesideExecutableFolders(
    const std::filesystem::path& executableFolder) {
  return {executableFolder, (executableFolder / ".." / "share" / "kolvanto").lexically_normal()};
}

std::string FindBesideExecutable(const std::string& executableFolder, const std::string& fileName) {
  const auto folders = BesideExecutableFolders(executableFolder);
  std::error_code ec;
  for (const auto& folder : folders) {
    if (std::filesystem::is_regular_file(folder / fileName, ec)) {
      return (folder / fileName).string();
    }
  }
  return (folders.front() / fileName).string();
}

}  // namespace kv
