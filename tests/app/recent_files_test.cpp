// The recent-files list and its menu names, and the file dialogs' filter lists.

#include <gtest/gtest.h>

#include "app/file_filters.h"
#include "app/recent_files.h"
#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

TEST(RecentFilesTest, NewNamesGoFirstAndAKnownFileMovesToTheFront) {
  RecentFileList list{};
  for (int i = 1; i <= 9; ++i) {
    AddRecent(list, "/d/f" + std::to_string(i));
  }
  EXPECT_EQ(list.front(), "/d/f9");
  EXPECT_EQ(list.back(), "/d/f2");  // f1 fell off
  AddRecent(list, "/d/f5");
  const RecentFileList expected{"/d/f5", "/d/f9", "/d/f8", "/d/f7",
                                "/d/f6", "/d/f4", "/d/f3", "/d/f2"};
  EXPECT_EQ(list, expected);
}

TEST(RecentFilesTest, ALinkToAListedFileMovesThatEntry) {
  TempDir dir;
  WriteFileBytes(dir / "a.doc", {1});
  std::filesystem::create_symlink(dir / "a.doc", dir / "link.doc");
  RecentFileList list{dir / "b.doc", dir / "a.doc"};
  AddRecent(list, dir / "link.doc");
  EXPECT_EQ(list[0], dir / "link.doc");
  EXPECT_EQ(list[1], dir / "b.doc");
  EXPECT_EQ(list[2], "");
}

TEST(RecentFilesTest, DisplayNames) {
  struct Case {
    const char* full;
    const char* current;
    const char* shown;
  };
  const Case cases[] = {
      {"/home/ann/report.doc", "/home/ann", "report.doc"},
      {"/home/ann/report.doc", "/tmp", "/home/ann/report.doc"},
      {"/home/ann/documents/2026/december/report.doc", "/tmp", "/home/.../december/report.doc"},
      {"/home/ann/documents/2026/december/報告書その一.doc", "/tmp",
       "/home/.../december/報告書その一.doc"},  // characters counted, not bytes
      {"/home/ann/a_file_name_longer_than_thirty_characters.doc", "/tmp",
       "a_file_name_longer_than_thirty_characters.doc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RecentDisplayName(c.full, c.current), c.shown) << c.full;
  }
}

TEST(FileFiltersTest, ListsAsQtMatchesThem) {
  EXPECT_EQ(QtNameFilters("すべてのファイル (*.*)|*.*|分割ファイル (*.d01; *.000; *.001; *.exe)|"
                          "*.d01;*.000;*.001;*.exe|")
                .toStdString(),
            "すべてのファイル (*);;分割ファイル (*.d01 *.000 *.001 *.exe)");
  DivideSettings s;
  s.DivideType = 0;
  s.DivideExt = 0;
  EXPECT_STREQ(DestinationFilters(true, s), "分割ファイル (*.000)|*.000|");
  s.DivideExt = 1;
  EXPECT_STREQ(DestinationFilters(true, s), "分割ファイル (*.001)|*.001|");
  s.DivideType = 2;
  EXPECT_STREQ(DestinationFilters(true, s), "分割ファイル (*.d01)|*.d01|");
  EXPECT_STREQ(DestinationFilters(false, s), "すべてのファイル (*.*)|*.*|");
}

}  // namespace
}  // namespace kv::test
