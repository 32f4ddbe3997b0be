#include "tools/check_report.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tests/tools/piece_fixtures.h"
#include "tools/validity_sort.h"

namespace kv {
namespace {

using Lines = std::vector<std::string>;

TEST(CheckReport, LineShape) {
  EXPECT_EQ(FormatCheckLine(CheckVerdict::kOk, "a.d01"), "○ a.d01");
  EXPECT_EQ(FormatCheckLine(CheckVerdict::kChecksumError, "a b.d02"), "▲ CRCエラー a b.d02");
  EXPECT_EQ(FormatCheckLine(CheckVerdict::kCannotOpen, "x"), "× ファイルが開けません x");
}

class CheckReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto body = test::RandomBytes(3000, 21);
    test::WriteFileBytes(dir_ / "a.d01", test::FirstPiece(body, 9000));
    test::WriteFileBytes(dir_ / "a.d02", test::NextPiece(body));
    auto bad = test::NextPiece(body);
    bad[100] ^= 0xFF;
    test::WriteFileBytes(dir_ / "a.d03", bad);
    test::WriteFileBytes(dir_ / "a.exe", test::Filler(40));
    test::WriteFileBytes(dir_ / "notes.txt", test::Filler(40));
    base_ = dir_.Path().string() + "/";
  }
  test::TempDir dir_;
  std::string base_;
};

TEST_F(CheckReportTest, FolderExpandsLikeTheListAndFilesStandForThemselves) {
  const std::string missing = dir_ / "gone.d04";
  const Lines expandedExpected = {base_ + "a.d01", base_ + "a.d02", base_ + "a.d03",
                                  base_ + "a.exe", missing};
  EXPECT_EQ(ExpandCheckPaths({dir_.Path().string(), missing}), expandedExpected);
  EXPECT_EQ(ExpandCheckPaths({base_}), Lines(expandedExpected.begin(), expandedExpected.end() - 1));

  const CheckReport report = MakeCheckReport({dir_.Path().string(), missing}, {});
  const Lines expected = {"○ " + base_ + "a.d01", "○ " + base_ + "a.d02",
                          "▲ CRCエラー " + base_ + "a.d03", "？ 未対応 " + base_ + "a.exe",
                          "× ファイルが開けません " + missing};
  EXPECT_EQ(report.lines, expected);
  EXPECT_EQ(report.exitStatus, 1);
}

TEST_F(CheckReportTest, ExitStatusIsZeroOnlyWhenEveryFileIsOk) {
  const CheckReport good = MakeCheckReport({dir_ / "a.d01", dir_ / "a.d02"}, {});
  EXPECT_EQ(good.lines, (Lines{"○ " + base_ + "a.d01", "○ " + base_ + "a.d02"}));
  EXPECT_EQ(good.exitStatus, 0);
  EXPECT_EQ(MakeCheckReport({dir_ / "notes.txt"}, {}).exitStatus, 1);
}

TEST_F(CheckReportTest, SortsLikeTheList) {
  const std::string folder = dir_.Path().string();
  const CheckReport byName = MakeCheckReport({folder}, {.sortColumn = kNameColumn});
  EXPECT_EQ(byName.lines, (Lines{"？ 未対応 " + base_ + "a.exe", "○ " + base_ + "a.d01",
                                 "○ " + base_ + "a.d02", "▲ CRCエラー " + base_ + "a.d03"}));
  const CheckReport byVerdictDown =
      MakeCheckReport({folder}, {.sortColumn = kVerdictColumn, .reverse = true});
  EXPECT_EQ(byVerdictDown.lines,
            (Lines{"？ 未対応 " + base_ + "a.exe", "▲ CRCエラー " + base_ + "a.d03",
                   "○ " + base_ + "a.d01", "○ " + base_ + "a.d02"}));
  const CheckReport byRemark = MakeCheckReport({folder}, {.sortColumn = kRemarkColumn});
  EXPECT_EQ(byRemark.lines,
            (Lines{"○ " + base_ + "a.d01", "○ " + base_ + "a.d02", "▲ CRCエラー " + base_ + "a.d03",
                   "？ 未対応 " + base_ + "a.exe"}));
  const CheckReport reversed = MakeCheckReport({folder}, {.reverse = true});
  EXPECT_EQ(reversed.lines.front(), "？ 未対応 " + base_ + "a.exe");
  EXPECT_EQ(reversed.lines.back(), "○ " + base_ + "a.d01");
}

}  // namespace
}  // namespace kv
