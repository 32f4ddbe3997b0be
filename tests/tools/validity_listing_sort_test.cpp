#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/validity_listing.h"
#include "tools/validity_rows.h"
#include "tools/validity_sort.h"

namespace kv {
namespace {

using Names = std::vector<std::string>;

TEST(CandidateNames, PieceFileNames) {
  for (const char* name : {"a.d01", "a.D123", ".d01", "x.y.d99", "a.d0000"}) {
    EXPECT_TRUE(IsPieceFileName(name)) << name;
  }
  for (const char* name : {"a.d1", "a.d", "a.dd01", "a.doc", "d01", "ad01", "a.d0x", ""}) {
    EXPECT_FALSE(IsPieceFileName(name)) << name;
  }
  EXPECT_TRUE(IsExecutableName("a.exe"));
  EXPECT_TRUE(IsExecutableName("B.EXE"));
  EXPECT_FALSE(IsExecutableName("a.exe.txt"));
  EXPECT_FALSE(IsExecutableName("aexe"));
}

TEST(ListCandidateFiles, PiecesThenExecutablesEachSortedByName) {
  test::TempDir dir;
  for (const char* name : {"a.d02", "b.txt", "a.exe", "c.d1", "a.d01", "B.EXE", ".d01", "a.D123",
                           "a.doc", "a.dd01", "zz.d10"}) {
    test::WriteFileBytes(dir / name, {1});
  }
  std::filesystem::create_directory(dir / "x.d05");
  std::filesystem::create_directory(dir / "y.exe");
  const Names expected = {".d01", "a.D123", "a.d01", "a.d02", "zz.d10", "B.EXE", "a.exe", "y.exe"};
  EXPECT_EQ(ListCandidateFiles(dir.Path().string()), expected);
  EXPECT_EQ(ListCandidateFiles(dir.Path().string() + "/"), expected);
  EXPECT_EQ(ListCandidateFiles(""), Names{});
  EXPECT_EQ(ListCandidateFiles(dir / "missing"), Names{});
}

TEST(SortKeyState, SecondClickOnTheSameColumnSortsDescending) {
  SortKeyState keys;
  EXPECT_EQ(keys.LastKey(), -1);
  EXPECT_EQ(keys.Click(0), 0);
  EXPECT_EQ(keys.Click(0), 100);
  EXPECT_EQ(keys.Click(0), 0);
  EXPECT_EQ(keys.Click(2), 2);
  EXPECT_EQ(keys.Click(1), 1);
  EXPECT_EQ(keys.Click(1), 101);
  EXPECT_EQ(keys.Click(2), 2);
}

Names NamesOf(const CheckRowTable& table) {
  Names names;
  for (const CheckRow& row : table.Rows()) {
    names.push_back(row.name);
  }
  return names;
}

TEST(CheckRowSort, NamesPutTheExecutableBeforeItsFirstPiece) {
  CheckRowTable table;
  for (const char* name : {"b.d01", "a.d02", "A.D01", "a.EXE", "a.d10"}) {
    table.Append(name);
  }
  table.Sort(0);
  EXPECT_EQ(NamesOf(table), (Names{"a.EXE", "A.D01", "a.d02", "a.d10", "b.d01"}));
  table.Sort(100);
  EXPECT_EQ(NamesOf(table), (Names{"b.d01", "a.d10", "a.d02", "A.D01", "a.EXE"}));
  EXPECT_EQ(CompareColumnTexts(0, "ABC.EXE", "abc.d00"), 0);
  EXPECT_LT(CompareColumnTexts(0, "abc.exe", "abc.d00x"), 0);
}

TEST(CheckRowSort, VerdictsByRankAndRemarksByBytes) {
  CheckRowTable table;
  const std::vector<std::pair<const char*, CheckVerdict>> judged = {
      {"io", CheckVerdict::kIoError},      {"ok", CheckVerdict::kOk},
      {"uns", CheckVerdict::kUnsupported}, {"crc", CheckVerdict::kChecksumError},
      {"brk", CheckVerdict::kBroken},      {"open", CheckVerdict::kCannotOpen},
  };
  table.Append("none");
  for (const auto& [name, verdict] : judged) {
    table.RowJudged(table.Append(name), verdict);
  }
  table.RowStarted(table.Append("busy"));
  table.Sort(1);
  // Equal ranks keep their order.
  EXPECT_EQ(NamesOf(table), (Names{"ok", "crc", "brk", "io", "open", "uns", "none", "busy"}));
  table.Sort(101);
  EXPECT_EQ(NamesOf(table), (Names{"none", "busy", "uns", "io", "open", "crc", "brk", "ok"}));
  table.Sort(2);
  // "", "", "", "CRCエラー", "I/Oエラー", "ファイルが壊れています", "ファイルが開けません",
  // "未対応"
  EXPECT_EQ(NamesOf(table), (Names{"none", "busy", "ok", "crc", "io", "brk", "open", "uns"}));
  EXPECT_EQ(VerdictRank("○"), 1);
  EXPECT_EQ(VerdictRank("▲"), 2);
  EXPECT_EQ(VerdictRank("×"), 3);
  EXPECT_EQ(VerdictRank("？"), 4);
  EXPECT_EQ(VerdictRank("－"), 5);
  EXPECT_EQ(VerdictRank("?"), 5);
}

TEST(CheckRowTable, RunVisitsTheSelectedRowsOrAll) {
  CheckRowTable table;
  const CheckRowId a = table.Append("a.d01");
  const CheckRowId b = table.Append("a.d02");
  const CheckRowId c = table.Append("a.d03");
  auto ids = [&] {
    std::vector<CheckRowId> out;
    for (const CheckTarget& t : table.TargetsToVisit()) {
      out.push_back(t.id);
    }
    return out;
  };
  EXPECT_EQ(ids(), (std::vector<CheckRowId>{a, b, c}));
  table.SetSelected(c, true);
  table.SetSelected(a, true);
  EXPECT_EQ(ids(), (std::vector<CheckRowId>{a, c}));
  table.Sort(100);
  EXPECT_EQ(ids(), (std::vector<CheckRowId>{c, a}));
}

}  // namespace
}  // namespace kv
