#include "tools/validity_body.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <string>

#include "core/job_state.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/piece_fixtures.h"
#include "tools/validity_check.h"
#include "tools/validity_head.h"

namespace kv {
namespace {

constexpr std::int64_t kMiB = 1 << 20;
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kHeader = 13;  // the next header of piece 2

// A piece as a file that shrank after its length was taken (reads end at
// `visible` while Size() still tells the whole length), whose reads fail from
// `failFrom` on, and which asks for a cancel once `cancelAt` bytes are read.
// With `looks` its bytes can be seen in place as a mapping shows them: a look
// at bytes it no longer has, or that fail, shows part of them and fails.
class ChangingSource final : public ByteSource {
 public:
  ChangingSource(const std::vector<std::uint8_t>& data, std::int64_t visible, std::int64_t failFrom,
                 std::int64_t cancelAt, std::atomic<int>& runState, bool looks = false)
      : memory_(std::span(reinterpret_cast<const std::byte*>(data.data()),
                          static_cast<std::size_t>(std::min<std::int64_t>(
                              visible, static_cast<std::int64_t>(data.size()))))),
        size_(static_cast<std::int64_t>(data.size())),
        failFrom_(failFrom),
        cancelAt_(cancelAt),
        runState_(runState),
        looks_(looks) {}
  std::int64_t Read(std::span<std::byte> out) override {
    if (Position() + static_cast<std::int64_t>(out.size()) > failFrom_) {
      return -1;
    }
    return Count(memory_.Read(out));
  }
  bool LookAhead(std::int64_t length, const Look& look) override {
    const std::int64_t start = Position();
    if (!looks_) {
      return false;
    }
    if (start + length > std::min(failFrom_, memory_.Size())) {
      // The fault comes half way: the first half was seen.
      memory_.LookAhead(std::min(length, memory_.Size() - start) / 2, look);
      memory_.Seek(start);
      return false;
    }
    memory_.LookAhead(length, look);
    Count(length);
    return true;
  }
  bool Seek(std::int64_t position) override { return memory_.Seek(position); }
  std::int64_t Position() const override { return memory_.Position(); }
  std::int64_t Size() const override { return size_; }
  std::int64_t ReadAfterCancel() const { return readAfterCancel_; }

 private:
  std::int64_t Count(std::int64_t got) {
    readAfterCancel_ += runState_.load() == kRunCancelRequested ? got : 0;
    if (Position() >= cancelAt_) {
      runState_.store(kRunCancelRequested);
    }
    return got;
  }

  MemorySource memory_;
  std::int64_t size_;
  std::int64_t failFrom_;
  std::int64_t cancelAt_;
  std::atomic<int>& runState_;
  bool looks_;
  std::int64_t readAfterCancel_ = 0;
};

struct BodyCase {
  const char* what;
  std::int64_t bodyLength;
  std::int64_t changedByte;  // offset in the body of a byte altered after the CRC was stored
  std::int64_t visible;      // bytes of the piece that can still be read
  std::int64_t failFrom;
  std::int64_t cancelAt;
  const char* shown;  // mark|remark, or "cancelled"
};

// Each case is judged twice: through reads, and through looks at the bytes
// in place, which hand over to reads where a look fails.
TEST(BodySummer, LargeReadsAndLooksJudgeAsOneKiBSteps) {
  const std::int64_t big = 5 * kMiB + 700;
  const BodyCase cases[] = {
      {"empty body", 0, -1, kNever, kNever, kNever, "○|"},
      {"one read", 2000, -1, kNever, kNever, kNever, "○|"},
      {"two reads exactly", 2 * kMiB, -1, kNever, kNever, kNever, "○|"},
      {"six reads, the last short", big, -1, kNever, kNever, kNever, "○|"},
      {"a byte changed in the last read", big, big - 1, kNever, kNever, kNever, "▲|CRCエラー"},
      {"a byte changed in the first read", big, 0, kNever, kNever, kNever, "▲|CRCエラー"},
      {"shrunk inside the third read", big, -1, kHeader + 2 * kMiB + 5, kNever, kNever,
       "▲|CRCエラー"},
      {"shrunk inside the checksum", big, -1, kHeader + big + 1, kNever, kNever, "▲|CRCエラー"},
      {"shrunk inside a one-read body", 2000, -1, kHeader + 1999, kNever, kNever, "▲|CRCエラー"},
      {"a read fails in the fourth read", big, -1, kNever, kHeader + 3 * kMiB + 9, kNever,
       "×|I/Oエラー"},
      {"a read fails on the checksum", big, -1, kNever, kHeader + big + 1, kNever, "×|I/Oエラー"},
      {"cancel asked before the body", big, -1, kNever, kNever, 0, "cancelled"},
      {"cancel asked in the second read", big, -1, kNever, kNever, kHeader + kMiB + 1, "cancelled"},
      {"cancel asked in the fifth read", big, -1, kNever, kNever, kHeader + 4 * kMiB + 1,
       "cancelled"},
      {"cancel before a body of 1023 bytes", 1023, -1, kNever, kNever, 0, "○|"},
      {"cancel before a body of 1024 bytes", 1024, -1, kNever, kNever, 0, "cancelled"},
  };
  const auto bytes = test::RandomBytes(static_cast<std::size_t>(big), 41);
  BodySummer summer;  // one run: the buffers of one case serve the next
  for (const bool looks : {false, true}) {
    for (const BodyCase& c : cases) {
      SCOPED_TRACE(testing::Message() << c.what << (looks ? ", looked at" : ", read"));
      auto piece = test::NextPiece({bytes.begin(), bytes.begin() + c.bodyLength});
      if (c.changedByte >= 0) {
        piece[static_cast<std::size_t>(kHeader + c.changedByte)] ^= 0x10;
      }
      std::atomic<int> runState{kRunRunning};
      ChangingSource src(piece, c.visible, c.failFrom, c.cancelAt, runState, looks);
      const CheckVerdict verdict = CheckPieceSource(src, false, runState, summer);
      const std::string shown =
          verdict == CheckVerdict::kCancelled
              ? "cancelled"
              : std::string(VerdictMark(verdict)) + "|" + std::string(VerdictRemark(verdict));
      EXPECT_EQ(shown, c.shown);
      // A cancel is seen after the body's read during which it came (or the
      // first one): never a whole body.
      EXPECT_LE(src.ReadAfterCancel(), kHeader + kMiB);
    }
  }
}

// Real files read through the file layer: the body's first bytes from its
// buffer, the rest by direct reads.
TEST(BodySummer, PiecesOnDiskAcrossTheReadSizes) {
  test::TempDir dir;
  const std::atomic<int> running{kRunRunning};
  BodySummer summer;
  for (const std::int64_t length : {kMiB - 1, 2 * kMiB + 1, 3 * kMiB + 1024}) {
    const std::string path = dir / ("p" + std::to_string(length) + ".d02");
    test::WriteFileBytes(path,
                         test::NextPiece(test::RandomBytes(static_cast<std::size_t>(length), 42)));
    EXPECT_EQ(CheckPieceFile(path, running, summer), CheckVerdict::kOk) << length;
  }
}

// The head of a file is read once; reads and looks before, across and behind
// its end give the file's own bytes, and the file's read errors stay errors.
TEST(HeadReadSource, ServesTheFileAsItIs) {
  const auto bytes = test::RandomBytes(200000, 43);
  const struct {
    std::int64_t fileLength;
    std::int64_t failFrom;
    std::int64_t position;
    std::int64_t asked;
    std::int64_t got;
  } cases[] = {
      {200000, kNever, 10, 100, 100},       {200000, kNever, 65000, 2000, 2000},
      {200000, kNever, 100000, 1000, 1000}, {200000, kNever, 199500, 1000, 500},
      {1000, kNever, 900, 500, 100},        {200000, 70000, 100, 10, 10},
      {200000, 70000, 65000, 10000, -1},    {200000, 0, 100, 10, -1},
      {65536, kNever, 65530, 10, 6},        {65537, kNever, 65530, 10, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fileLength << " " << c.failFrom << " " << c.position);
    std::atomic<int> running{kRunRunning};
    const std::vector<std::uint8_t> file(bytes.begin(), bytes.begin() + c.fileLength);
    HeadReadSource src(std::make_unique<ChangingSource>(file, kNever, c.failFrom, kNever, running));
    EXPECT_EQ(src.Size(), c.fileLength);
    ASSERT_TRUE(src.Seek(c.position));
    std::vector<std::uint8_t> out(static_cast<std::size_t>(c.asked));
    ASSERT_EQ(src.Read(std::as_writable_bytes(std::span(out))), c.got);
    if (c.got > 0) {
      out.resize(static_cast<std::size_t>(c.got));
      EXPECT_EQ(out, std::vector<std::uint8_t>(bytes.begin() + c.position,
                                               bytes.begin() + c.position + c.got));
      EXPECT_EQ(src.Position(), c.position + c.got);
    }
    EXPECT_FALSE(src.Seek(c.fileLength + 1));

    HeadReadSource looked(
        std::make_unique<ChangingSource>(file, kNever, c.failFrom, kNever, running, true));
    ASSERT_TRUE(looked.Seek(c.position));
    std::vector<std::uint8_t> seen;
    const bool whole = looked.LookAhead(c.asked, [&](const std::byte* at, std::size_t n) {
      const auto* bytesAt = reinterpret_cast<const std::uint8_t*>(at);
      seen.insert(seen.end(), bytesAt, bytesAt + n);
    });
    EXPECT_EQ(whole, c.got == c.asked);
    EXPECT_EQ(looked.Position(), whole ? c.position + c.asked : c.position);
    if (whole) {
      EXPECT_EQ(seen, out);
    }
  }
}

}  // namespace
}  // namespace kv
