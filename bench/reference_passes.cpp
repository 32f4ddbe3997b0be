#include "bench/reference_passes.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace kv::bench {
namespace {

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) {
      ::close(fd);
    }
  }
};

bool Fail(const char* what, const std::string& path) {
  std::fprintf(stderr, "%s %s: %s\n", what, path.c_str(), std::strerror(errno));
  return false;
}

}  // namespace

bool ReadOnlyPass(const std::vector<std::string>& paths) {
  constexpr std::size_t kBlock = 1 << 20;
  const auto buffer = std::make_unique<char[]>(kBlock);
  for (const auto& path : paths) {
    const FdCloser in{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) {
      return Fail("cannot open", path);
    }
    ssize_t got = 0;
    while ((got = ::read(in.fd, buffer.get(), kBlock)) > 0) {
    }
    if (got < 0) {
      return Fail("cannot read", path);
    }
  }
  return true;
}

bool KernelCopy(const std::string& source, const std::string& dest) {
  const FdCloser in{::open(source.c_str(), O_RDONLY | O_CLOEXEC)};
  if (in.fd < 0) {
    return Fail("cannot open", source);
  }
  const FdCloser out{
      ::open(dest.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
  if (out.fd < 0) {
    return Fail("cannot create", dest);
  }
  ssize_t moved = 0;
  while ((moved = ::copy_file_range(in.fd, nullptr, out.fd, nullptr, 1 << 30, 0)) > 0) {
  }
  return moved == 0 || Fail("copy_file_range refused", dest);
}

bool SameBytes(const std::string& a, const std::string& b) {
  constexpr std::size_t kBlock = 1 << 20;
  const FdCloser left{::open(a.c_str(), O_RDONLY | O_CLOEXEC)};
  const FdCloser right{::open(b.c_str(), O_RDONLY | O_CLOEXEC)};
  if (left.fd < 0 || right.fd < 0) {
    return false;
  }
  const auto x = std::make_unique<char[]>(kBlock);
  const auto y = std::make_unique<char[]>(kBlock);
  for (;;) {
    // Regular files in the page cache give whole blocks until their end.
    const ssize_t gotX = ::read(left.fd, x.get(), kBlock);
    const ssize_t gotY = ::read(right.fd, y.get(), kBlock);
    if (gotX != gotY || gotX < 0) {
      return false;
    }
    if (gotX == 0) {
      return true;
    }
    if (std::memcmp(x.get(), y.get(), static_cast<std::size_t>(gotX)) != 0) {
      return false;
    }
  }
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file()) {
      files.push_back(entry.path().string());
    }
  }
  // In series order: piece 1000 comes after piece 999, not after piece 100.
  std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  return files;
}

}  // namespace kv::bench
