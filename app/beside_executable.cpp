#include "app/beside_executable.h"

namespace kv {

std::vector<std::filesystem::path> BesideExecutableFolders(
    const std::filesystem::path& executableFolder) {
  return {executableFolder, (executableFolder / ".." / "share" / "kolvanto").lexically_normal()};
}

}  // namespace kv
