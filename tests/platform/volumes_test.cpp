#include "platform/volumes.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/mount_table_linux.h"
#include "platform/system_calls.h"
#include "tests/support/fake_volumes.h"
#include "tests/support/temp_dir.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

TEST(Volumes, FreeSpaceOfARealFolderMatchesStatvfs) {
  test::TempDir dir;
  SystemVolumes volumes;
  const FreeSpace asked = volumes.QueryFreeSpace(dir / "piece.d01");
  ASSERT_TRUE(asked.ready);
  const std::uint64_t free = asked.bytes;
  struct statvfs st {};
  ASSERT_EQ(statvfs(dir.Path().c_str(), &st), 0);
  const unsigned long long bytes = static_cast<unsigned long long>(st.f_bavail) * st.f_frsize;
  EXPECT_GT(free, 0u);
  // Other processes write meanwhile: allow a little drift. Free space beyond
  // 4 GiB is told as it is.
  EXPECT_NEAR(static_cast<double>(free), static_cast<double>(bytes), 64.0 * (1 << 20));
}

// Reports one file system type for every folder, or fails the question.
class FileSystemTypeCalls : public SystemCalls {
 public:
  explicit FileSystemTypeCalls(std::optional<std::uint64_t> type) : type_(type) {}
  int FileSystemType(const char*, std::uint64_t& type) override {
    if (!type_) {
      errno = ENOSYS;
      return -1;
    }
    type = *type_;
    return 0;
  }

 private:
  std::optional<std::uint64_t> type_;
};

// FAT keeps a file's size in 32 bits; other file systems set no limit a piece reaches.
TEST(Volumes, LargestFileFollowsTheFileSystemType) {
  test::TempDir dir;
  struct Case {
    std::optional<std::uint64_t> type;
    std::uint64_t largest;
  };
  const Case cases[] = {
      {0x4d44, 4294967295u},  // msdos / vfat (FAT12, FAT16, FAT32)
      {0xEF53, 0},            // ext2/3/4
      {0x2011BAB0, 0},        // exFAT
      {0x65735546, 0},        // FUSE
      {std::nullopt, 0},      // the question fails: nothing is assumed
  };
  for (const Case& c : cases) {
    FileSystemTypeCalls calls(c.type);
    ScopedSystemCalls scoped(calls);
    SystemVolumes volumes;
    const FreeSpace asked = volumes.QueryFreeSpace(dir / "piece.d01");
    EXPECT_TRUE(asked.ready);
    EXPECT_EQ(asked.largestFile, c.largest) << c.type.value_or(0);
  }
}

// A folder that cannot be asked is a medium that is not ready; the answer
// keeps the folder and the system's reason for the message that ends the job.
TEST(Volumes, FolderThatCannotBeAskedIsNotReadyWithItsCause) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "plain", {1});
  SystemVolumes volumes;
  struct Case {
    std::string file;
    std::string folder;
    int error;
  };
  const Case cases[] = {
      {dir / "gone/piece.d01", dir / "gone", ENOENT},
      {dir / "plain/sub/piece.d01", dir / "plain/sub", ENOTDIR},
  };
  for (const Case& c : cases) {
    const FreeSpace asked = volumes.QueryFreeSpace(c.file);
    EXPECT_FALSE(asked.ready) << c.file;
    EXPECT_EQ(asked.bytes, 0u) << c.file;
    EXPECT_EQ(asked.error, c.error) << c.file;
    EXPECT_EQ(asked.folder, c.folder) << c.file;
  }
}

TEST(Volumes, FreeBytesAre64BitsAndSaturateOnlyOnOverflow) {
  EXPECT_EQ(SaturatedFreeBytes(5ull * 1024 * 1024 * 1024 / 4096, 4096), 5368709120u);
  EXPECT_EQ(SaturatedFreeBytes(1048575, 4096), 4294963200u);
  EXPECT_EQ(SaturatedFreeBytes(1048576, 4096), 4294967296u);           // exactly 4 GiB
  EXPECT_EQ(SaturatedFreeBytes(~0ull, ~0ull), 18446744073709551615u);  // the product overflows
  EXPECT_EQ(SaturatedFreeBytes(3, 512), 1536u);
  EXPECT_EQ(SaturatedFreeBytes(7, 0), 0u);
}

TEST(Volumes, FolderOfAFileName) {
  EXPECT_EQ(FolderOfFile("/media/usb/a.d01"), "/media/usb");
  EXPECT_EQ(FolderOfFile("/a.d01"), "/");
  EXPECT_EQ(FolderOfFile("a.d01"), ".");
}

constexpr char kMountInfo[] =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "25 22 0:5 / /proc rw - proc proc rw\n"
    "40 22 8:17 / /media/ann/MY\\040STICK rw,nosuid master:3 shared:9 - vfat /dev/sdb1 rw\n"
    "41 22 8:33 / /media/usb rw - ext4 /dev/sdc1 rw\n"
    "42 22 8:49 / /media/usb2 rw - ext4 /dev/sdd1 rw\n"
    "43 22 0:50 / /mnt/share rw - cifs //server/share rw\n"
    "44 22 0:51 / /mnt/fuse rw - fuse.sshfs host:/x rw\n"
    "45 22 8:65 / /mnt/ntfs rw - fuseblk /dev/sde1 rw\n"
    "broken line without fields\n"
    "46 22 8:3 / /home/a\\134b rw no-dash-here ext4 /dev/sda3 rw\n"
    "47 22 179:1 / /run/media/ann/SD rw - exfat /dev/mmcblk0p1 rw\n";

TEST(MountInfo, ParsesFieldsAndDecodesEscapes) {
  const auto mounts = ParseMountInfo(kMountInfo);
  ASSERT_EQ(mounts.size(), 9u);  // the two malformed lines are skipped
  EXPECT_EQ(mounts[0].mountPoint, "/");
  EXPECT_EQ(mounts[2].mountPoint, "/media/ann/MY STICK");  // optional fields skipped too
  EXPECT_EQ(mounts[2].major, 8u);
  EXPECT_EQ(mounts[2].minor, 17u);
  EXPECT_EQ(mounts[2].fsType, "vfat");
  EXPECT_EQ(mounts[2].source, "/dev/sdb1");
  EXPECT_EQ(mounts[8].major, 179u);
  EXPECT_EQ(DecodeMountField("a\\011b\\134c\\\\d\\9"), "a\tb\\c\\\\d\\9");
  EXPECT_EQ(DecodeMountField("end\\04"), "end\\04");  // a cut escape stays as it is
}

TEST(MountInfo, LongestMountedPrefixHoldsThePath) {
  const auto mounts = ParseMountInfo(kMountInfo);
  EXPECT_EQ(LongestMountPrefix(mounts, "/media/usb/x/y.d01"), "/media/usb");
  EXPECT_EQ(LongestMountPrefix(mounts, "/media/usb"), "/media/usb");
  EXPECT_EQ(LongestMountPrefix(mounts, "/media/usb2/a"), "/media/usb2");
  EXPECT_EQ(LongestMountPrefix(mounts, "/media/usbx/a"), "/");
  EXPECT_EQ(LongestMountPrefix(mounts, "/media/ann/MY STICK/a"), "/media/ann/MY STICK");
  EXPECT_EQ(LongestMountPrefix(mounts, "/home/ann"), "/");
  EXPECT_EQ(LongestMountPrefix({}, "/x"), "/");
}

TEST(Removable, ListedMountPointsComparedByComponents) {
  const std::string list = "/media/usb;/run/media/ann/SD/";
  EXPECT_TRUE(PathOnListedMount("/media/usb", list));
  EXPECT_TRUE(PathOnListedMount("/media/usb/", list));
  EXPECT_TRUE(PathOnListedMount("/media/usb/a/b.d01", list));
  EXPECT_TRUE(PathOnListedMount("/run/media/ann/SD/x.d02", list));
  EXPECT_FALSE(PathOnListedMount("/media/usb2/a.d01", list));
  EXPECT_FALSE(PathOnListedMount("/media/us", list));
  EXPECT_FALSE(PathOnListedMount("/media", list));
  EXPECT_FALSE(PathOnListedMount("/home/ann/a.d01", list));
  EXPECT_FALSE(PathOnListedMount("/media/usb/a", ""));
  EXPECT_FALSE(PathOnListedMount("/home/a", ";;"));  // empty entries match nothing
  EXPECT_TRUE(PathOnListedMount("/home/a", "/"));
}

TEST(Removable, SystemVolumesResolveLinksIntoAListedMount) {
  test::TempDir dir;
  fs::create_directories(dir.Path() / "stick");
  fs::create_symlink(dir.Path() / "stick", dir.Path() / "link");
  SystemVolumes volumes;
  EXPECT_TRUE(volumes.IsOnRemovable(dir / "link/a.d01", dir / "stick"));
  EXPECT_FALSE(volumes.IsOnRemovable(dir / "link/a.d01", dir / "stic"));
}

// A small sysfs tree: each device folder with its "removable" flag, linked from dev/block.
void AddBlockDevice(const fs::path& sys, const std::string& majMin, const std::string& devicePath,
                    const char* diskRemovable) {
  const fs::path device = sys / devicePath;
  fs::create_directories(device);
  test::WriteFileBytes((device.parent_path() / "removable").string(),
                       {static_cast<std::uint8_t>(diskRemovable[0]), '\n'});
  fs::create_directories(sys / "dev" / "block");
  fs::create_symlink(device, sys / "dev" / "block" / majMin);
}

TEST(Removable, DetectsRemovableUsbAndMmcButNeverNetworkOrFuse) {
  test::TempDir dir;
  const fs::path sys = dir.Path() / "sys";
  AddBlockDevice(sys, "8:2", "devices/pci0000:00/ata1/host0/block/sda/sda2", "0");
  // A card reader that says removable, on neither bus.
  AddBlockDevice(sys, "8:17", "devices/pci0000:00/ata2/host1/block/sdb/sdb1", "1");
  // A USB disk that says fixed.
  AddBlockDevice(sys, "8:33", "devices/pci0000:00/0000:00:14.0/usb1/1-1/block/sdc/sdc1", "0");
  AddBlockDevice(sys, "8:49", "devices/pci0000:00/ata3/host2/block/sdd/sdd1", "0");
  AddBlockDevice(sys, "8:65", "devices/pci0000:00/0000:00:14.0/usb2/2-1/block/sde/sde1", "1");
  AddBlockDevice(sys, "179:1", "devices/platform/mmc_host/mmc0/mmc0:0001/block/mmcblk0/mmcblk0p1",
                 "0");
  const auto mounts = ParseMountInfo(kMountInfo);
  EXPECT_EQ(RemovableMountList(mounts, sys.string()),
            "/media/ann/MY STICK;/media/usb;/run/media/ann/SD");
  EXPECT_EQ(RemovableMountList(mounts, (dir.Path() / "nothing").string()), "");
}

TEST(Volumes, DetectionOnThisMachineListsMountPoints) {
  SystemVolumes volumes;
  const std::string list = volumes.DetectRemovableMounts();
  // Whatever the machine has, every entry is an absolute mount point.
  std::size_t start = 0;
  while (!list.empty() && start <= list.size()) {
    const std::size_t end = std::min(list.find(';', start), list.size());
    EXPECT_EQ(list[start], '/') << list;
    start = end + 1;
  }
  EXPECT_EQ(volumes.MountPointOf("/proc/self/status"), "/proc");
}

TEST(FakeVolumes, ScriptsReadinessAndDefersToTheRealOne) {
  test::TempDir dir;
  SystemVolumes real;
  test::FakeVolumes fake(&real);
  EXPECT_TRUE(fake.QueryFreeSpace(dir / "a").ready);
  EXPECT_GT(fake.QueryFreeSpace(dir / "a").bytes, 0u);
  fake.SetNotReady(EIO);
  EXPECT_FALSE(fake.QueryFreeSpace(dir / "a").ready);
  EXPECT_EQ(fake.QueryFreeSpace(dir / "a").error, EIO);
  fake.SetFree(1000);
  EXPECT_TRUE(fake.QueryFreeSpace(dir / "b").ready);
  EXPECT_EQ(fake.QueryFreeSpace(dir / "b").bytes, 1000u);
  EXPECT_EQ(fake.Queries(), (std::vector<std::string>{dir / "a", dir / "a", dir / "a", dir / "a",
                                                      dir / "b", dir / "b"}));
}

// A real small medium where the tests may mount one.
class TmpfsMedium : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) {
      GTEST_SKIP() << "mounting a tmpfs needs root";
    }
    mountPoint_ = dir_.Path() / "medium";
    fs::create_directories(mountPoint_);
    if (mount("tmpfs", mountPoint_.c_str(), "tmpfs", 0, "size=1m") != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) {
      umount(mountPoint_.c_str());
    }
  }
  test::TempDir dir_;
  fs::path mountPoint_;
  bool mounted_ = false;
};

TEST_F(TmpfsMedium, FreeSpaceAndMountPointOfASmallMedium) {
  SystemVolumes volumes;
  FreeSpace asked = volumes.QueryFreeSpace((mountPoint_ / "a.d01").string());
  ASSERT_TRUE(asked.ready);
  EXPECT_EQ(asked.bytes, 1024u * 1024u);
  test::WriteFileBytes((mountPoint_ / "fill").string(), std::vector<std::uint8_t>(300 * 1024, 1));
  asked = volumes.QueryFreeSpace((mountPoint_ / "a.d01").string());
  ASSERT_TRUE(asked.ready);
  EXPECT_LE(asked.bytes, 1024u * 1024u - 300u * 1024u);
  fs::create_directories(mountPoint_ / "sub");
  EXPECT_EQ(volumes.MountPointOf((mountPoint_ / "sub/a.d01").string()), mountPoint_.string());
  EXPECT_EQ(volumes.MountPointOf(dir_ / "elsewhere"), volumes.MountPointOf(dir_.Path().string()));
  EXPECT_NE(volumes.MountPointOf(dir_ / "elsewhere"), mountPoint_.string());
}

}  // namespace
}  // namespace kv
