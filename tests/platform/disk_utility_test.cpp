// Finding the disk utility on the search path and the device behind a mount point.

#include "platform/disk_utility.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/mount_table_linux.h"
#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

TEST(DiskUtilityTest, TheFirstExecutableOnTheSearchPathIsFound) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "a");
  std::filesystem::create_directories(dir.Path() / "b");
  WriteFileBytes(dir / "a/tool", {'#'});  // not executable: passed over
  WriteFileBytes(dir / "b/tool", {'#'});
  ::chmod((dir / "b/tool").c_str(), 0755);
  const std::string a = dir / "a";
  const std::string b = dir / "b";
  EXPECT_EQ(FindOnSearchPath("tool", a + ":" + b), dir / "b/tool");
  EXPECT_EQ(FindOnSearchPath("tool", "::" + a), "");
  EXPECT_EQ(FindOnSearchPath("other", a + ":" + b), "");
}

TEST(DiskUtilityTest, TheDeviceOfAMountIsItsLastDeviceMount) {
  const std::vector<MountEntry> mounts = ParseMountInfo(
      "22 1 8:17 / /media/usb rw - vfat /dev/sdb1 rw\n"
      "23 1 0:40 / /media/usb rw - tmpfs tmpfs rw\n"
      "24 1 8:33 / /media/sd rw - ext4 /dev/sdc1 rw\n");
  const std::pair<const char*, const char*> cases[] = {
      {"/media/usb", ""},  // a tmpfs mounted over the stick hides it
      {"/media/sd", "/dev/sdc1"},
      {"/media", ""}};
  for (const auto& [mountPoint, device] : cases) {
    EXPECT_EQ(BlockDeviceOfMount(mounts, mountPoint), device) << mountPoint;
  }
}

}  // namespace
}  // namespace kv::test
