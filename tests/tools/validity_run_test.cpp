#include "tools/validity_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "core/job_state.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/piece_fixtures.h"
#include "tools/validity_rows.h"

namespace kv {
namespace {

// Forwards to the table and runs a hook on the worker before each row starts.
class HookedTable final : public CheckObserver {
 public:
  explicit HookedTable(CheckRowTable& table) : table_(table) {}
  std::function<void(CheckRowId)> beforeStart;
  void RowStarted(CheckRowId id) override {
    if (beforeStart) {
      beforeStart(id);
    }
    table_.RowStarted(id);
  }
  void RowJudged(CheckRowId id, CheckVerdict verdict) override { table_.RowJudged(id, verdict); }

 private:
  CheckRowTable& table_;
};

std::map<std::string, std::string> TextsByName(const CheckRowTable& table) {
  std::map<std::string, std::string> out;
  for (const CheckRow& row : table.Rows()) {
    out[row.name] = row.mark + "|" + row.remark;
  }
  return out;
}

class CheckRunTest : public ::testing::Test {
 protected:
  void Fill(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      ids_[name] = table_.Append(name);
    }
  }
  test::TempDir dir_;
  CheckRowTable table_;
  std::map<std::string, CheckRowId> ids_;
};

TEST_F(CheckRunTest, JudgesEveryRowAndEndsIdle) {
  const auto body = test::RandomBytes(2000, 31);
  test::WriteFileBytes(dir_ / "a.d01", test::FirstPiece(body, 6000));
  test::WriteFileBytes(dir_ / "a.d02", test::Filler(12));
  Fill({"a.d01", "a.d02", "gone.d03"});
  CheckRun run;
  ASSERT_TRUE(run.Start(dir_.Path().string(), table_.TargetsToVisit(), table_));
  run.Join();
  EXPECT_EQ(run.State(), kRunIdle);
  EXPECT_EQ(TextsByName(table_),
            (std::map<std::string, std::string>{
                {"a.d01", "○|"}, {"a.d02", "？|未対応"}, {"gone.d03", "×|ファイルが開けません"}}));
}

TEST_F(CheckRunTest, SelectedRowsOnlyAndAnEmptyFolderEndsAtOnce) {
  test::WriteFileBytes(dir_ / "a.d02", test::Filler(12));
  test::WriteFileBytes(dir_ / "b.d02", test::Filler(12));
  Fill({"a.d02", "b.d02"});
  table_.SetSelected(ids_["b.d02"], true);
  CheckRun run;
  ASSERT_TRUE(run.Start(dir_.Path().string() + "/", table_.TargetsToVisit(), table_));
  run.Join();
  EXPECT_EQ(TextsByName(table_),
            (std::map<std::string, std::string>{{"a.d02", "|"}, {"b.d02", "？|未対応"}}));
  ASSERT_TRUE(run.Start("", table_.TargetsToVisit(), table_));
  run.Join();
  EXPECT_EQ(run.State(), kRunIdle);
  EXPECT_EQ(TextsByName(table_)["b.d02"], "？|未対応");
}

TEST_F(CheckRunTest, CancelDuringTheBodyStopsTheRun) {
  test::WriteFileBytes(dir_ / "a.d02", test::Filler(12));
  test::WriteFileBytes(dir_ / "b.d02", test::NextPiece(test::RandomBytes(64 * 1024, 32)));
  test::WriteFileBytes(dir_ / "c.d02", test::Filler(12));
  Fill({"a.d02", "b.d02", "c.d02"});
  CheckRun run;
  HookedTable hooked(table_);
  hooked.beforeStart = [&](CheckRowId id) {
    if (id == ids_["b.d02"]) {
      run.RequestCancel();
    }
  };
  ASSERT_TRUE(run.Start(dir_.Path().string(), table_.TargetsToVisit(), hooked));
  run.Join();
  EXPECT_EQ(run.State(), kRunIdle);
  EXPECT_EQ(TextsByName(table_), (std::map<std::string, std::string>{
                                     {"a.d02", "？|未対応"}, {"b.d02", "－|"}, {"c.d02", "|"}}));
  // A cancel requested after the worker ended changes nothing.
  run.RequestCancel();
  EXPECT_EQ(run.State(), kRunIdle);
}

TEST_F(CheckRunTest, CancelThatNoBodyReachesLetsTheRunFinish) {
  for (const char* name : {"a.d02", "b.d02", "c.d02"}) {
    test::WriteFileBytes(dir_ / name, test::NextPiece(test::RandomBytes(500, 33)));
  }
  Fill({"a.d02", "b.d02", "c.d02"});
  CheckRun run;
  HookedTable hooked(table_);
  hooked.beforeStart = [&](CheckRowId) { run.RequestCancel(); };
  ASSERT_TRUE(run.Start(dir_.Path().string(), table_.TargetsToVisit(), hooked));
  run.Join();
  EXPECT_EQ(run.State(), kRunIdle);
  for (const auto& [name, texts] : TextsByName(table_)) {
    EXPECT_EQ(texts, "○|") << name;
  }
}

TEST_F(CheckRunTest, VerdictsStayWithTheirFilesWhileRowsAreResorted) {
  const auto body = test::RandomBytes(3000, 34);
  auto bad = test::NextPiece(body);
  bad[50] ^= 1;
  std::map<std::string, std::string> expected;
  std::vector<std::string> names;
  for (int i = 0; i < 30; ++i) {
    const std::string name = "f" + std::to_string(100 + i) + ".d02";
    switch (i % 3) {
      case 0:
        test::WriteFileBytes(dir_ / name, test::NextPiece(body));
        expected[name] = "○|";
        break;
      case 1:
        test::WriteFileBytes(dir_ / name, bad);
        expected[name] = "▲|CRCエラー";
        break;
      default:
        test::WriteFileBytes(dir_ / name, test::Filler(20));
        expected[name] = "？|未対応";
    }
    names.push_back(name);
  }
  Fill(names);
  HookedTable hooked(table_);
  int sorts = 0;
  // Between rows the list is re-sorted by verdict and by name, up and down...
  hooked.beforeStart = [&](CheckRowId) { table_.Sort((sorts++ % 2 == 0) ? 101 : 1); };
  CheckRun run;
  ASSERT_TRUE(run.Start(dir_.Path().string(), table_.TargetsToVisit(), hooked));
  // ...and, at the same time, from this thread.
  int key = 0;
  while (run.State() != kRunIdle) {
    table_.Sort(key);
    key = key == 0 ? 100 : (key == 100 ? 1 : 0);
    std::this_thread::yield();
  }
  run.Join();
  EXPECT_EQ(TextsByName(table_), expected);
  EXPECT_EQ(table_.Rows().size(), 30u);
}

TEST_F(CheckRunTest, OneRunAtATime) {
  test::WriteFileBytes(dir_ / "big.d02", test::NextPiece(test::RandomBytes(256 * 1024, 35)));
  Fill({"big.d02"});
  CheckRun run;
  std::atomic<bool> release{false};
  HookedTable hooked(table_);
  hooked.beforeStart = [&](CheckRowId) {
    while (!release.load()) {
      std::this_thread::yield();
    }
  };
  ASSERT_TRUE(run.Start(dir_.Path().string(), table_.TargetsToVisit(), hooked));
  EXPECT_EQ(run.State(), kRunRunning);
  EXPECT_FALSE(run.Start(dir_.Path().string(), table_.TargetsToVisit(), table_));
  release.store(true);
  run.Join();
  EXPECT_EQ(TextsByName(table_)["big.d02"], "○|");
}

}  // namespace
}  // namespace kv
