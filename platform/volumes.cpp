#include "platform/volumes.h"

#include <filesystem>
#include <limits>

namespace kv {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kFreeSaturated = std::numeric_limits<std::uint64_t>::max();

}  // namespace

std::uint64_t SaturatedFreeBytes(std::uint64_t blocks, std::uint64_t blockSize) {
  if (blockSize != 0 && blocks > kFreeSaturated / blockSize) {
    return kFreeSaturated;
  }
  return blocks * blockSize;
}

std::string FolderOfFile(const std::string& fileName) {
  const std::size_t slash = fileName.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? std::string("/") : fileName.substr(0, slash);
}

bool PathIsAtOrBelow(const std::string& path, const std::string& folder) {
  if (path.empty() || folder.empty()) {
    return false;
  }
  const fs::path p = fs::path(path).lexically_normal();
  const fs::path f = fs::path(folder).lexically_normal();
  auto pi = p.begin();
  for (auto fi = f.begin(); fi != f.end(); ++fi) {
    if (fi->empty()) {
      continue;  // the trailing "/" of a folder name
    }
    if (pi == p.end() || *pi != *fi) {
      return false;
    }
    ++pi;
  }
  return true;
}

bool PathOnListedMount(const std::string& path, const std::string& removableDrive) {
  std::size_t start = 0;
  while (start <= removableDrive.size()) {
    std::size_t end = removableDrive.find(';', start);
    if (end == std::string::npos) {
      end = removableDrive.size();
    }
    if (PathIsAtOrBelow(path, removableDrive.substr(start, end - start))) {
      return true;
    }
    start = end + 1;
  }
  return false;
}

}  // namespace kv
