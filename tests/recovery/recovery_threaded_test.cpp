// The work the recovery layer shares between two threads (run under
// ThreadSanitizer too): every item done once, an end or a stop seen by both
// threads, and a set written and repaired with both threads reading its files
// through one shelf.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "recovery/repair.h"
#include "recovery/two_threads.h"
#include "tests/recovery/recovery_test_files.h"

namespace kv::test {
namespace {

TEST(TwoThreads, EveryItemIsDoneOnce) {
  std::vector<std::atomic<int>> done(1000);
  std::atomic<int> onOther = 0;
  EXPECT_TRUE(par2::ForEachOnTwoThreads(
      done.size(), [&](std::size_t i, unsigned thread, const par2::StopCheck&) {
        ++done[i];
        onOther += thread == 1 ? 1 : 0;
        return true;
      }));
  for (std::size_t i = 0; i < done.size(); ++i) {
    EXPECT_EQ(done[i].load(), 1) << i;
  }
  EXPECT_LE(onOther.load(), 1000);
}

TEST(TwoThreads, AFailedItemEndsTheRest) {
  std::atomic<int> started = 0;
  EXPECT_FALSE(
      par2::ForEachOnTwoThreads(1000, [&](std::size_t i, unsigned, const par2::StopCheck&) {
        ++started;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        return i != 10;
      }));
  // The items are slow beside the handing out: once item 10 has failed,
  // each thread finishes the one it holds and takes no more.
  EXPECT_LE(started.load(), 16);
}

TEST(TwoThreads, AStopIsAskedHereAndReachesTheOtherThread) {
  const std::thread::id here = std::this_thread::get_id();
  std::atomic<bool> askedElsewhere = false;
  int asked = 0;
  const auto stopAsked = [&] {
    askedElsewhere = askedElsewhere || std::this_thread::get_id() != here;
    return ++asked >= 3;
  };
  // Item 1 runs until its thread is told to stop, whichever thread takes it.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(par2::ForEachOnTwoThreads(
      2,
      [&](std::size_t i, unsigned, const par2::StopCheck& stop) {
        while (i == 1 && !stop()) {
          if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20)) {
            return true;  // the stop never came: the test fails below
          }
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
      },
      stopAsked));
  EXPECT_FALSE(askedElsewhere.load());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(TwoThreadsRecovery, SetsWrittenAndRepairedWithBothThreadsReading) {
  struct Case {
    const char* what;
    std::vector<std::size_t> lengths;
    std::uint64_t sliceSize;
    std::uint32_t recovery;
    std::size_t filesWritten;
    std::vector<std::string> lost;
  };
  const Case cases[] = {
      {"many slices a piece, summed in stripes after the hashing",
       {9001, 70000, 1, 65539, 40000, 33333, 12, 5000},
       4096,
       40,
       7,  // the index and 6 volumes
       {"s.d02", "s.d03", "s.d07"}},
      {"one slice a piece, each thread summing as it hashes",
       {65536, 65535, 1, 40001, 65536, 777, 3, 60000},
       65536,
       3,
       3,
       {"s.d01", "s.d04", "s.d07"}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    ASSERT_EQ(WriteProtectedFiles(dir, c.lengths, c.sliceSize, c.recovery).size(), c.filesWritten)
        << c.what;
    std::vector<std::vector<std::uint8_t>> originals;
    for (std::size_t i = 0; i < c.lengths.size(); ++i) {
      originals.push_back(ReadFileBytes(dir / ("s.d0" + std::to_string(i + 1))));
    }
    for (const std::string& lost : c.lost) {
      std::filesystem::remove(dir / lost);
    }
    const par2::RepairReport report = par2::RepairSet(dir.Path().string() + "/", "s", true);
    ASSERT_EQ(report.outcome, par2::RepairOutcome::kRepaired) << c.what;
    EXPECT_EQ(report.rebuilt, c.lost) << c.what;
    for (std::size_t i = 0; i < c.lengths.size(); ++i) {
      EXPECT_EQ(ReadFileBytes(dir / ("s.d0" + std::to_string(i + 1))), originals[i])
          << c.what << " " << i;
    }
  }
}

}  // namespace
}  // namespace kv::test
