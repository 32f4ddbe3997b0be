#include "platform/safe_create.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <latch>
#include <thread>

#include "platform/binary_file.h"
#include "tests/support/temp_dir.h"

namespace kv {
namespace {

const std::vector<std::uint8_t> kVictim{'k', 'e', 'e', 'p'};

enum class Setup { kNothing, kFile, kWriteOnlyFile, kLink, kDanglingLink, kFolder, kPipe };

// Puts `setup` under `name`; links point at `target`.
void Prepare(Setup setup, const std::string& name, const std::string& target) {
  switch (setup) {
    case Setup::kNothing:
      return;
    case Setup::kFile:
      return test::WriteFileBytes(name, kVictim);
    case Setup::kWriteOnlyFile:
      test::WriteFileBytes(name, kVictim);
      ASSERT_EQ(::chmod(name.c_str(), 0200), 0);
      return;
    case Setup::kLink:
      test::WriteFileBytes(target, kVictim);
      ASSERT_EQ(::symlink(target.c_str(), name.c_str()), 0);
      return;
    case Setup::kDanglingLink:
      ASSERT_EQ(::symlink(target.c_str(), name.c_str()), 0);
      return;
    case Setup::kFolder:
      ASSERT_EQ(::mkdir(name.c_str(), 0700), 0);
      return;
    case Setup::kPipe:
      ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0);
      return;
  }
}

struct NameCase {
  Setup setup;
  NameKind kind;
  bool clearedForPiece;  // the name is free after ClearNameForPiece
};

TEST(SafeCreate, NamesAreSeenCreatedOnlyWhenFreeAndClearedWithoutTouchingTargets) {
  const NameCase cases[] = {
      {Setup::kNothing, NameKind::kNone, true},          {Setup::kFile, NameKind::kRegular, true},
      {Setup::kWriteOnlyFile, NameKind::kRegular, true}, {Setup::kLink, NameKind::kLink, true},
      {Setup::kDanglingLink, NameKind::kLink, true},     {Setup::kFolder, NameKind::kFolder, false},
      {Setup::kPipe, NameKind::kOther, false},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.setup));
    test::TempDir dir;
    const std::string name = dir / "report.d02";
    const std::string target = dir / "victim.txt";
    Prepare(c.setup, name, target);
    EXPECT_EQ(KindOfName(name), c.kind);
    if (c.setup != Setup::kNothing) {
      // Nothing is ever created over or through what stands there.
      EXPECT_FALSE(BinaryFile::Open(name, BinaryFile::Mode::kCreateWrite));
      EXPECT_EQ(errno, EEXIST);
    }
    ASSERT_TRUE(ClearNameForPiece(name));
    EXPECT_EQ(KindOfName(name) == NameKind::kNone, c.clearedForPiece);
    EXPECT_EQ(BinaryFile::Open(name, BinaryFile::Mode::kCreateWrite) != nullptr, c.clearedForPiece);
    if (c.setup == Setup::kLink) {
      EXPECT_EQ(test::ReadFileBytes(target), kVictim);
    } else {
      EXPECT_EQ(KindOfName(target), NameKind::kNone);
    }
  }
}

TEST(SafeCreate, OfTwoWritersRacingForOneNewNameExactlyOneCreatesIt) {
  test::TempDir dir;
  for (int round = 0; round < 50; ++round) {
    const std::string name = dir / ("out" + std::to_string(round));
    std::latch start(2);
    std::atomic<int> created{0};
    std::atomic<int> refusedAsExisting{0};
    auto race = [&] {
      start.arrive_and_wait();
      if (BinaryFile::Open(name, BinaryFile::Mode::kCreateWrite)) {
        ++created;
      } else if (errno == EEXIST) {
        ++refusedAsExisting;
      }
    };
    std::thread first(race);
    std::thread second(race);
    first.join();
    second.join();
    EXPECT_EQ(created.load(), 1);
    EXPECT_EQ(refusedAsExisting.load(), 1);
  }
}

}  // namespace
}  // namespace kv
