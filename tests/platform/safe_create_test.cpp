#include "platform/safe_create.h"

#include <gtest/gtest.h>

#include <fcntl.h>
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

TEST(SafeCreate, NamesAreSeenCreatedOnlyWhenFreeAndClearedWithoutTouchingTargets) {
  using Make = int (*)(const char* name, const char* target);
  struct Case {
    Make make;
    NameKind kind;
    bool clearedForPiece;  // the name is free after ClearNameForPiece
  };
  const Case cases[] = {
      {[](const char*, const char*) { return 0; }, NameKind::kNone, true},
      {[](const char* n, const char*) { return ::close(::creat(n, 0600)); }, NameKind::kRegular,
       true},
      {[](const char* n, const char*) { return ::close(::creat(n, 0200)); }, NameKind::kRegular,
       true},
      {[](const char* n, const char* t) { return ::close(::creat(t, 0600)) | ::symlink(t, n); },
       NameKind::kLink, true},
      {[](const char* n, const char* t) { return ::symlink(t, n); }, NameKind::kLink, true},
      {[](const char* n, const char*) { return ::mkdir(n, 0700); }, NameKind::kFolder, false},
      {[](const char* n, const char*) { return ::mkfifo(n, 0600); }, NameKind::kOther, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(&c - cases));
    test::TempDir dir;
    const std::string name = dir / "report.d02";
    const std::string target = dir / "victim.txt";
    ASSERT_EQ(c.make(name.c_str(), target.c_str()), 0);
    const bool targetWasThere = KindOfName(target) != NameKind::kNone;
    EXPECT_EQ(KindOfName(name), c.kind);
    if (c.kind != NameKind::kNone) {
      // Nothing is ever created over or through what stands there.
      const auto opened = BinaryFile::Open(name, BinaryFile::Mode::kCreateWrite);
      ASSERT_FALSE(opened);
      EXPECT_EQ(opened.Error().error.value(), EEXIST);
    }
    ASSERT_TRUE(ClearNameForPiece(name));
    EXPECT_EQ(KindOfName(name) == NameKind::kNone, c.clearedForPiece);
    auto piece = BinaryFile::Open(name, BinaryFile::Mode::kCreateWrite).ValueOr(nullptr);
    EXPECT_EQ(piece != nullptr, c.clearedForPiece);
    EXPECT_TRUE(!piece || piece->Write("new", 3));
    piece.reset();
    // The link's target, there or not, stays as it was: empty or missing.
    EXPECT_EQ(KindOfName(target) != NameKind::kNone, targetWasThere);
    EXPECT_TRUE(!targetWasThere || test::ReadFileBytes(target).empty());
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
      const auto opened = BinaryFile::Open(name, BinaryFile::Mode::kCreateWrite);
      if (opened) {
        ++created;
      } else if (opened.Error().error.value() == EEXIST) {
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
