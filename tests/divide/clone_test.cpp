// Raw slices on a filesystem that shares blocks between files (XFS, on a
// loop-mounted image): the kernel copy clones the source's blocks into the
// pieces instead of copying them, so a divide at a block-aligned size takes
// next to no room. Skipped where no XFS can be made and mounted here.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>

#include "divide/type0_divide.h"
#include "tests/divide/divide_fixture.h"

namespace kv::test {
namespace {

// An XFS image mounted on a fresh folder, unmounted at the end; Why() says
// what kept it from being mounted.
class XfsMount {
 public:
  XfsMount() {
    if (::geteuid() != 0) {
      why_ = "mounting an image needs root";
      return;
    }
    const std::string image = dir_ / "xfs.img";
    const std::string make = "truncate -s 320M '" + image + "' && mkfs.xfs -q '" + image + "'";
    if (std::system((make + " 2>/dev/null").c_str()) != 0) {
      why_ = "mkfs.xfs is not here (xfsprogs)";
      return;
    }
    const std::string mount =
        "mkdir '" + Path() + "' && mount -o loop '" + image + "' '" + Path() + "' 2>/dev/null";
    if (std::system(mount.c_str()) != 0) {
      why_ = "this system does not let an image be loop-mounted";
      return;
    }
    mounted_ = true;
  }
  ~XfsMount() {
    if (mounted_) {
      ::umount2(Path().c_str(), MNT_DETACH);
    }
  }
  std::string Path() const { return dir_ / "mnt"; }
  const std::string& Why() const { return why_; }

 private:
  TempDir dir_;
  bool mounted_ = false;
  std::string why_;
};

std::int64_t FreeBytes(const std::string& folder) {
  struct statvfs facts {};
  return ::statvfs(folder.c_str(), &facts) == 0
             ? static_cast<std::int64_t>(facts.f_bfree) * static_cast<std::int64_t>(facts.f_frsize)
             : -1;
}

TEST(CloneOnXfs, RawSlicesAtABlockAlignedSizeShareTheSourcesBlocks) {
  XfsMount xfs;
  if (!xfs.Why().empty()) {
    GTEST_SKIP() << xfs.Why();
  }
  constexpr std::int32_t kSlice = 8 * 1024 * 1024;
  const std::string source = xfs.Path() + "/src.bin";
  const auto data = RandomBytes(5 * kSlice + 4096 + 700, 31);
  WriteFileBytes(source, data);
  ::sync();
  const std::int64_t freeBefore = FreeBytes(xfs.Path());

  DivideSettings settings;
  settings.DivideExt = 1;
  JobState job;
  ScriptedPrompter asked;
  SystemVolumes volumes;
  PrepareDivideJob(job, source, xfs.Path() + "/src.001", kSlice);
  RunType0Divide(settings, job, asked, volumes);
  ASSERT_EQ(job.Outcome(), JobOutcome::kDone);
  ::sync();

  const auto pieces = ExistingPieces(
      xfs.Path() + "/src.001", [&](int n) { return xfs.Path() + "/src.00" + std::to_string(n); });
  ASSERT_EQ(pieces.size(), 6u);
  EXPECT_TRUE(Concatenate(pieces) == data);
  // Forty MiB of pieces took at most the tail block and the filesystem's own
  // bookkeeping.
  EXPECT_LT(freeBefore - FreeBytes(xfs.Path()), 1024 * 1024);
}

}  // namespace
}  // namespace kv::test
