// Recovery data computed from bytes handed over in runs of any length (odd
// ones split words between runs) equals the set written over the same files
// on disk, whether its slices stay in memory or wait in a temporary file;
// files that break what was expected of them give no set.

#include "recovery/series_accumulator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "recovery/recovery_writer.h"
#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const std::vector<std::size_t> kLengths = {20000, 20000, 16385, 7};

class SeriesAccumulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::size_t i = 0; i < kLengths.size(); ++i) {
      files.push_back(RandomBytes(kLengths[i], static_cast<std::uint32_t>(40 + i)));
      const std::string name = "s.d0" + std::to_string(i + 1);
      names.push_back(name);
      const std::size_t first = std::min<std::size_t>(files.back().size(), 16384);
      expected.push_back({name, files.back().size(), Md5Of(std::span(files.back().data(), first))});
    }
  }
  // Hands every file over in runs of the given lengths, taken in turn.
  void Feed(par2::SeriesAccumulator& acc, const std::vector<std::size_t>& runs, bool lasting) {
    for (std::size_t i = 0; i < files.size(); ++i) {
      acc.BeginFile(i);
      std::size_t k = 0;
      for (std::size_t at = 0; at < files[i].size(); ++k) {
        const std::size_t n = std::min(runs[k % runs.size()], files[i].size() - at);
        const std::span<const std::uint8_t> run(files[i].data() + at, n);
        lasting ? acc.AddLasting(run) : acc.Add(run);
        at += n;
      }
      acc.EndFile();
    }
  }
  par2::RecoveryRequest Request(const std::string& folder) const {
    par2::RecoveryRequest request;
    request.folder = folder + "/";
    request.names = names;
    request.setName = "s";
    request.sliceSize = 20000;
    request.recoverySlices = 3;
    return request;
  }
  std::map<std::string, Bytes> SetIn(const std::string& folder) {
    std::map<std::string, Bytes> set;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() == ".par2") {
        set[entry.path().filename().string()] = ReadFileBytes(entry.path().string());
      }
    }
    return set;
  }

  TempDir dir;
  std::vector<Bytes> files;
  std::vector<std::string> names;
  std::vector<par2::ExpectedFile> expected;
};

TEST_F(SeriesAccumulatorTest, RunsOfAnyLengthGiveTheSetWrittenOverTheFiles) {
  fs::create_directories(dir / "disk");
  for (std::size_t i = 0; i < files.size(); ++i) {
    WriteFileBytes(dir / ("disk/" + names[i]), files[i]);
  }
  ASSERT_TRUE(par2::WriteRecoveryFiles(Request(dir / "disk")).done);
  const auto reference = SetIn(dir / "disk");
  struct Case {
    const char* what;
    std::vector<std::size_t> runs;
    std::size_t budget;
    bool lasting;
  } cases[] = {
      {"whole files", {1 << 20}, par2::kAccumulatorBudget, false},
      {"odd runs", {1, 3, 13}, par2::kAccumulatorBudget, false},
      {"runs hashed on the side", {4097, 7}, par2::kAccumulatorBudget, true},
      {"a temporary file, a window at a time", {5, 9000}, 100, true},
      {"a temporary file, a window wider than a run", {333}, 30000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = dir / c.what;
    fs::create_directories(folder);
    par2::SeriesAccumulator acc(expected, 3, c.budget);
    ASSERT_TRUE(acc.Start(dir.Path().string()));
    EXPECT_EQ(acc.InMemory(), c.budget == par2::kAccumulatorBudget);
    Feed(acc, c.runs, c.lasting);
    ASSERT_TRUE(acc.Complete());
    EXPECT_EQ(acc.SliceSize(), 20000u);
    const par2::RecoveryOutcome out = par2::WriteRecoveryFiles(
        Request(folder), par2::PrecomputedSet{acc.Entries(), &acc.Slices(), {}});
    ASSERT_TRUE(out.done) << out.failure.path;
    EXPECT_EQ(SetIn(folder), reference);
  }
  // The temporary files were never seen in the folder they were made in.
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    EXPECT_FALSE(entry.is_regular_file()) << entry.path();
  }
}

TEST_F(SeriesAccumulatorTest, FilesThatBreakWhatWasExpectedGiveNoSet) {
  struct Case {
    const char* what;
    std::function<void(par2::SeriesAccumulator&)> feed;
  } cases[] = {
      {"a byte short",
       [&](par2::SeriesAccumulator& a) {
         a.BeginFile(0);
         a.Add(std::span(files[0].data(), files[0].size() - 1));
         a.EndFile();
       }},
      {"a byte too many",
       [&](par2::SeriesAccumulator& a) {
         a.BeginFile(3);
         a.Add(files[3]);
         a.Add(files[3]);
         a.EndFile();
       }},
      {"another first byte",
       [&](par2::SeriesAccumulator& a) {
         Bytes other = files[1];
         other[0] ^= 1;
         a.BeginFile(1);
         a.Add(other);
         a.EndFile();
       }},
      {"a file begun twice",
       [&](par2::SeriesAccumulator& a) {
         a.BeginFile(2);
         a.Add(files[2]);
         a.EndFile();
         a.BeginFile(2);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    par2::SeriesAccumulator acc(expected, 1);
    ASSERT_TRUE(acc.Start(dir.Path().string()));
    c.feed(acc);
    EXPECT_FALSE(acc.Complete());
    EXPECT_EQ(acc.Fault(), par2::AccumulatorFault::kMismatch);
  }
  // Every file whole but one never begun: no fault, and still no set.
  par2::SeriesAccumulator acc(expected, 1);
  ASSERT_TRUE(acc.Start(dir.Path().string()));
  for (std::size_t i = 1; i < files.size(); ++i) {
    acc.BeginFile(i);
    acc.Add(files[i]);
    acc.EndFile();
  }
  EXPECT_FALSE(acc.Complete());
  EXPECT_EQ(acc.Fault(), par2::AccumulatorFault::kNone);
}

}  // namespace
}  // namespace kv::test
