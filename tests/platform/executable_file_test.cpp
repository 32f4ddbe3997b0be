// Letting a first piece run: the mode follows the umask, and neither a link
// nor anything but a regular file is changed.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/executable_file.h"
#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

TEST(MakeExecutable, FollowsTheUmask) {
  TempDir dir;
  const struct {
    mode_t mask;
    mode_t mode;
  } cases[] = {{022, 0755}, {077, 0700}, {002, 0775}, {0, 0777}};
  for (const auto& c : cases) {
    WriteFileBytes(dir / "report.exe", {1});
    ASSERT_EQ(::chmod((dir / "report.exe").c_str(), 0600), 0);
    const mode_t saved = ::umask(c.mask);
    const Status made = MakeExecutable(dir / "report.exe");
    ::umask(saved);
    EXPECT_TRUE(made);
    EXPECT_EQ(ModeOf(dir / "report.exe"), c.mode) << std::oct << c.mask;
  }
}

TEST(MakeExecutable, LeavesLinksAndOtherFilesAlone) {
  TempDir dir;
  WriteFileBytes(dir / "target", {1});
  ASSERT_EQ(::chmod((dir / "target").c_str(), 0600), 0);
  fs::create_symlink(dir / "target", dir / "link.exe");
  EXPECT_FALSE(MakeExecutable(dir / "link.exe"));
  EXPECT_EQ(ModeOf(dir / "target"), 0600u);
  ASSERT_EQ(::mkfifo((dir / "fifo.exe").c_str(), 0600), 0);
  EXPECT_FALSE(MakeExecutable(dir / "fifo.exe"));
  EXPECT_EQ(ModeOf(dir / "fifo.exe"), 0600u);
  EXPECT_FALSE(MakeExecutable(dir / "missing.exe"));
}

}  // namespace
}  // namespace kv::test
