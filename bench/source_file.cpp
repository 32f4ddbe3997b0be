#include "bench/source_file.h"

#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "bench/reference_passes.h"

namespace kv::bench {

bool MakeSourceFile(const std::string& path, long long bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    std::fprintf(stderr, "cannot create %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  std::mt19937_64 random(12345);
  std::vector<std::uint64_t> block(1 << 17);
  bool ok = true;
  for (long long done = 0; ok && done < bytes;) {
    for (auto& word : block) {
      word = random();
    }
    const auto want = static_cast<std::size_t>(
        std::min<long long>(bytes - done, static_cast<long long>(block.size() * 8)));
    ok = ::write(fd, block.data(), want) == static_cast<ssize_t>(want);
    done += static_cast<long long>(want);
  }
  if (!ok) {
    std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), std::strerror(errno));
  }
  ok = ::close(fd) == 0 && ok;
  // One read pass so that the first timed step does not pay for it.
  return ok && ReadOnlyPass({path});
}

std::string FileSystemName(const std::string& path) {
  struct statfs info {};
  if (::statfs(path.c_str(), &info) != 0) {
    return "unknown";
  }
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53:
      return "ext4";
    case 0x01021994:
      return "tmpfs";
    case 0x9123683E:
      return "btrfs";
    case 0x58465342:
      return "xfs";
    case 0x794C7630:
      return "overlayfs";
  }
  char magic[32];
  std::snprintf(magic, sizeof magic, "0x%lx", static_cast<unsigned long>(info.f_type));
  return magic;
}

void PrintTail(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  const std::string all = text.str();
  constexpr std::size_t kShown = 2000;
  std::printf("--- the children's last messages ---\n%s\n---\n",
              all.substr(all.size() > kShown ? all.size() - kShown : 0).c_str());
}

}  // namespace kv::bench
