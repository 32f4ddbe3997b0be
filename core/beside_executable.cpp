#include "core/beside_executable.h"

#include <filesystem>
#include <system_error>

namespace kv {

std::string FindBesideExecutable(const std::string& executableFolder, const std::string& fileName) {
  namespace fs = std::filesystem;
  const fs::path folder(executableFolder);
  const fs::path beside = folder / fileName;
  const fs::path shared = folder / ".." / "share" / "kolvanto" / fileName;
  std::error_code ec;
  if (fs::is_regular_file(beside, ec)) {
    return beside.string();
  }
  if (fs::is_regular_file(shared, ec)) {
    return shared.lexically_normal().string();
  }
  return beside.string();
}

}  // namespace kv
