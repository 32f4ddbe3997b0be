#include "platform/mount_table_linux.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/volumes.h"

namespace kv {

namespace {

namespace fs = std::filesystem;

// Filesystems that are never removable media even when their source looks like a device.
bool IsNetworkOrFuse(const std::string& fsType) {
  if (fsType.rfind("fuse", 0) == 0) {
    return true;
  }
  static constexpr std::array<const char*, 12> kNetwork = {"nfs",       "nfs4",  "cifs",  "smb3",
                                                           "smbfs",     "ncpfs", "afs",   "ceph",
                                                           "glusterfs", "9p",    "davfs", "lustre"};
  for (const char* type : kNetwork) {
    if (fsType == type) {
      return true;
    }
  }
  return false;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return {};
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool SysFlagIsOne(const fs::path& file) {
  const std::string text = ReadWholeFile(file.string());
  return !text.empty() && text[0] == '1';
}

}  // namespace

std::vector<MountEntry> SystemMounts() {
  return ParseMountInfo(ReadWholeFile("/proc/self/mountinfo"));
}

std::uint64_t LargestFileOf(std::uint64_t fsType) {
  // The msdos/vfat magic: every FAT keeps a file's size in 32 bits.
  constexpr std::uint64_t kFatMagic = 0x4d44;
  return fsType == kFatMagic ? 4294967295u : 0;
}

std::string DecodeMountField(const std::string& field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
  // id parent major:minor root mount-point options [optional...] - type source super-options
  std::vector<MountEntry> mounts;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f;
    for (std::string word; fields >> word;) {
      f.push_back(word);
    }
    std::size_t dash = 6;
    while (dash < f.size() && f[dash] != "-") {
      ++dash;
    }
    if (f.size() < 6 || dash + 2 >= f.size()) {
      continue;
    }
    MountEntry entry;
    const std::string& dev = f[2];
    const std::size_t colon = dev.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == dev.size() ||
        dev.find_first_not_of("0123456789:") != std::string::npos) {
      continue;
    }
    try {
      entry.major = static_cast<unsigned>(std::stoul(dev.substr(0, colon)));
      entry.minor = static_cast<unsigned>(std::stoul(dev.substr(colon + 1)));
    } catch (const std::exception&) {
      continue;
    }
    entry.mountPoint = DecodeMountField(f[4]);
    entry.fsType = DecodeMountField(f[dash + 1]);
    entry.source = DecodeMountField(f[dash + 2]);
    mounts.push_back(std::move(entry));
  }
  return mounts;
}

std::string LongestMountPrefix(const std::vector<MountEntry>& mounts, const std::string& path) {
  std::string best = "/";
  for (const MountEntry& m : mounts) {
    if (m.mountPoint.size() > best.size() && PathIsAtOrBelow(path, m.mountPoint)) {
      best = m.mountPoint;
    }
  }
  return best;
}

std::string RemovableMountList(const std::vector<MountEntry>& mounts, const std::string& sysRoot) {
  std::error_code ec;
  const std::string root = fs::weakly_canonical(sysRoot, ec).string();
  std::vector<std::string> found;
  for (const MountEntry& m : mounts) {
    if (m.major == 0 || IsNetworkOrFuse(m.fsType) || m.mountPoint.empty() ||
        m.mountPoint.find(';') != std::string::npos) {
      continue;
    }
    const fs::path link = fs::path(sysRoot) / "dev" / "block" /
                          (std::to_string(m.major) + ":" + std::to_string(m.minor));
    const fs::path device = fs::canonical(link, ec);
    if (ec) {
      continue;
    }
    std::string below = device.string();
    if (below.rfind(root, 0) == 0) {
      below.erase(0, root.size());
    }
    const bool removable =
        SysFlagIsOne(device / "removable") || SysFlagIsOne(device.parent_path() / "removable") ||
        below.find("/usb") != std::string::npos || below.find("/mmc") != std::string::npos;
    if (!removable) {
      continue;
    }
    bool listed = false;
    for (const std::string& f : found) {
      listed = listed || f == m.mountPoint;
    }
    if (!listed) {
      found.push_back(m.mountPoint);
    }
  }
  std::string list;
  for (const std::string& f : found) {
    list += list.empty() ? f : ";" + f;
  }
  return list;
}

std::string BlockDeviceOfMount(const std::vector<MountEntry>& mounts,
                               const std::string& mountPoint) {
  // The last mount over a point is the one in force.
  for (auto it = mounts.rbegin(); it != mounts.rend(); ++it) {
    if (it->mountPoint == mountPoint) {
      return it->source.rfind("/dev/", 0) == 0 ? it->source : std::string();
    }
  }
  return {};
}

}  // namespace kv
