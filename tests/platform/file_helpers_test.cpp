#include "platform/file_helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

TEST(ShortName83, NamesThatFitAreKeptAsTheyAre) {
  EXPECT_EQ(ShortName83("/home/ann/readme.txt"), "readme.txt");
  EXPECT_EQ(ShortName83("REPORT.DOC"), "REPORT.DOC");
  EXPECT_EQ(ShortName83("/x/ABCDEFGH"), "ABCDEFGH");
  EXPECT_EQ(ShortName83("/x/a$b(1)~.z_!"), "a$b(1)~.z_!");
  EXPECT_EQ(ShortName83("/x/dir/"), "dir");
}

TEST(ShortName83, OtherNamesAreGenerated) {
  EXPECT_EQ(ShortName83("/home/ann/report.document"), "REPORT~1.DOC");
  EXPECT_EQ(ShortName83("my file.txt"), "MY_FIL~1.TXT");
  EXPECT_EQ(ShortName83("/x/abcdefghi"), "ABCDEF~1");
  EXPECT_EQ(ShortName83("/x/a+b.txt"), "A_B~1.TXT");
  EXPECT_EQ(ShortName83("/x/archive.tar.gz"), "ARCHIV~1.GZ");
  EXPECT_EQ(ShortName83("/x/.bashrc"), "_BASHR~1");
  EXPECT_EQ(ShortName83("/x/abc."), "ABC~1");
  // One "_" per UTF-8 character, not per byte.
  EXPECT_EQ(ShortName83("/x/日本語ファイル.txt"), "______~1.TXT");
  EXPECT_EQ(ShortName83("/x/a日.txt"), "A_~1.TXT");
  EXPECT_EQ(ShortName83(""), "");
}

TEST(ModifiedTime, SetsUtcAndKeepsTheAccessTime) {
  test::TempDir dir;
  const std::string name = dir / "f";
  test::WriteFileBytes(name, {1, 2, 3});
  ASSERT_TRUE(SetModifiedTimeUtc(name, 2001, 2, 3, 4, 5, 6));
  ASSERT_TRUE(ModifiedTimeUtc(name).has_value());
  struct stat before {};
  ASSERT_EQ(stat(name.c_str(), &before), 0);
  EXPECT_EQ(*ModifiedTimeUtc(name), 981173106);  // 2001-02-03 04:05:06 UTC
  ASSERT_TRUE(SetModifiedTimeUtc(name, 2000, 2, 29, 23, 59, 59));
  EXPECT_EQ(*ModifiedTimeUtc(name), 951868799);
  struct stat after {};
  ASSERT_EQ(stat(name.c_str(), &after), 0);
  EXPECT_EQ(after.st_atim.tv_sec, before.st_atim.tv_sec);
  EXPECT_EQ(after.st_atim.tv_nsec, before.st_atim.tv_nsec);
  EXPECT_FALSE(ModifiedTimeUtc(dir / "missing").has_value());
  EXPECT_FALSE(SetModifiedTimeUtc(dir / "missing", 2001, 2, 3, 4, 5, 6));
}

TEST(ModifiedTime, InvalidCalendarTimesLeaveTheFileAlone) {
  test::TempDir dir;
  const std::string name = dir / "f";
  test::WriteFileBytes(name, {1});
  ASSERT_TRUE(SetModifiedTimeUtc(name, 2010, 6, 15, 12, 0, 0));
  const std::int64_t set = *ModifiedTimeUtc(name);
  struct Bad {
    int y, mo, d, h, mi, s;
  };
  for (const Bad& b :
       {Bad{2010, 0, 1, 0, 0, 0}, Bad{2010, 13, 1, 0, 0, 0}, Bad{2010, 1, 32, 0, 0, 0},
        Bad{2010, 1, 0, 0, 0, 0}, Bad{2010, 1, 1, 24, 0, 0}, Bad{2010, 1, 1, 0, 60, 0},
        Bad{2010, 1, 1, 0, 0, 60}, Bad{2010, 1, 1, -1, 0, 0}, Bad{2001, 2, 29, 0, 0, 0},
        Bad{1900, 2, 29, 0, 0, 0}, Bad{2010, 4, 31, 0, 0, 0}}) {
    EXPECT_FALSE(SetModifiedTimeUtc(name, b.y, b.mo, b.d, b.h, b.mi, b.s))
        << b.y << "-" << b.mo << "-" << b.d << " " << b.h << ":" << b.mi << ":" << b.s;
  }
  EXPECT_EQ(*ModifiedTimeUtc(name), set);
}

TEST(FileIdentity, SameFileThroughLinksAndMissingFiles) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "a", {1, 2, 3, 4});
  test::WriteFileBytes(dir / "b", {1, 2, 3, 4});
  fs::create_symlink(dir.Path() / "a", dir.Path() / "link");
  fs::create_directories(dir.Path() / "sub");
  EXPECT_TRUE(SameFile(dir / "a", dir / "link"));
  EXPECT_TRUE(SameFile(dir / "a", dir / "sub/../a"));
  EXPECT_FALSE(SameFile(dir / "a", dir / "b"));
  EXPECT_FALSE(SameFile(dir / "a", dir / "missing"));
  EXPECT_FALSE(SameFile(dir / "missing", dir / "missing"));

  EXPECT_TRUE(FileExists(dir / "link"));
  EXPECT_FALSE(FileExists(dir / "sub"));
  EXPECT_FALSE(FileExists(dir / "missing"));
  EXPECT_EQ(FileSize(dir / "a"), 4);
  EXPECT_EQ(FileSize(dir / "missing"), -1);

  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_TRUE(IsRegularFile(dir / "link"));
  EXPECT_FALSE(IsRegularFile(dir / "sub"));
  EXPECT_FALSE(IsRegularFile(dir / "missing"));
  EXPECT_FALSE(IsRegularFile(dir / "fifo"));
  EXPECT_TRUE(FileExists(dir / "fifo"));
  EXPECT_FALSE(IsRegularFile("/dev/null"));
}

TEST(ExecutableFolder, IsTheFolderOfThisTestProgram) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::is_regular_file(fs::path(folder) / "platform_tests"));
}

}  // namespace
}  // namespace kv
