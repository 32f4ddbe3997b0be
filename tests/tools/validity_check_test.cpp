#include "tools/validity_check.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "core/job_state.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/piece_fixtures.h"

namespace kv {
namespace {

using test::Concat;
using test::Filler;
using test::FirstPiece;
using test::NextPiece;
using test::RandomBytes;

// What the list shows for a file: mark and remark joined by "|".
class CheckPieceFileTest : public ::testing::Test {
 protected:
  std::string Shown(const std::string& name, const std::vector<std::uint8_t>& bytes,
                    int state = kRunRunning) {
    test::WriteFileBytes(dir_ / name, bytes);
    return ShownFor(dir_ / name, state);
  }
  std::string ShownFor(const std::string& path, int state = kRunRunning) {
    const std::atomic<int> runState{state};
    const CheckVerdict verdict = CheckPieceFile(path, runState);
    if (verdict == CheckVerdict::kCancelled) {
      return "cancelled";
    }
    return std::string(VerdictMark(verdict)) + "|" + std::string(VerdictRemark(verdict));
  }
  test::TempDir dir_;
};

TEST(CheckVerdictTexts, EveryVerdictShowsItsMarkAndRemark) {
  EXPECT_EQ(VerdictMark(CheckVerdict::kOk), "○");
  EXPECT_EQ(VerdictRemark(CheckVerdict::kOk), "");
  EXPECT_EQ(VerdictMark(CheckVerdict::kChecksumError), "▲");
  EXPECT_EQ(VerdictRemark(CheckVerdict::kChecksumError), "CRCエラー");
  EXPECT_EQ(VerdictMark(CheckVerdict::kUnsupported), "？");
  EXPECT_EQ(VerdictRemark(CheckVerdict::kUnsupported), "未対応");
  EXPECT_EQ(VerdictMark(CheckVerdict::kCannotOpen), "×");
  EXPECT_EQ(VerdictRemark(CheckVerdict::kCannotOpen), "ファイルが開けません");
  EXPECT_EQ(VerdictMark(CheckVerdict::kBroken), "▲");
  EXPECT_EQ(VerdictRemark(CheckVerdict::kBroken), "ファイルが壊れています");
  EXPECT_EQ(VerdictMark(CheckVerdict::kIoError), "×");
  EXPECT_EQ(VerdictRemark(CheckVerdict::kIoError), "I/Oエラー");
  EXPECT_EQ(VerdictMark(CheckVerdict::kCancelled), "－");
  EXPECT_EQ(VerdictRemark(CheckVerdict::kCancelled), "");
}

TEST(CheckKind, FirstPieceByTheLastThreeCharacters) {
  EXPECT_TRUE(IsCheckedAsFirstPiece("/x/a.d01"));
  EXPECT_TRUE(IsCheckedAsFirstPiece("/x/a.D01"));
  EXPECT_TRUE(IsCheckedAsFirstPiece("/x/a.EXE"));
  EXPECT_TRUE(IsCheckedAsFirstPiece("/x/bd01"));  // no dot needed
  EXPECT_FALSE(IsCheckedAsFirstPiece("/x/a.d02"));
  EXPECT_FALSE(IsCheckedAsFirstPiece("01"));
}

TEST_F(CheckPieceFileTest, GoodPiecesAreOk) {
  const auto body = RandomBytes(5000, 1);
  EXPECT_EQ(Shown("a.d01", FirstPiece(body, 20000)), "○|");
  EXPECT_EQ(Shown("a.d02", NextPiece(body)), "○|");
  EXPECT_EQ(Shown("e.d02", NextPiece({})), "○|");  // empty body, 16 bytes
  // A self-restoring executable: the header follows a stub.
  EXPECT_EQ(Shown("a.exe", Concat(Filler(3000), FirstPiece(body, 20000))), "○|");
}

// A ".par2" name (any case) that starts with a PAR2 packet is recovery data;
// the name or the packet's start alone is not.
TEST_F(CheckPieceFileTest, RecoveryFilesAreKnownByNameAndPacketStart) {
  const std::vector<std::uint8_t> packet =
      Concat({'P', 'A', 'R', '2', 0, 'P', 'K', 'T'}, Filler(56));
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* shown;
  } cases[] = {
      {"r.par2", packet, "○|修復データ"},
      {"r.vol00+01.PAR2", packet, "○|修復データ"},
      {"s.par2", Filler(64), "？|未対応"},
      {"t.par2", {'P', 'A', 'R', '2', 0, 'P', 'K'}, "？|未対応"},
      {"u.d02", packet, "？|未対応"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Shown(c.name, c.bytes), c.shown) << c.name;
  }
}

TEST_F(CheckPieceFileTest, ShortOrUnmarkedFilesAreUnsupported) {
  EXPECT_EQ(Shown("z.d02", Filler(12)), "？|未対応");
  EXPECT_EQ(Shown("y.d02", Filler(13)), "？|未対応");
  // A following piece's header in an executable lacks the type byte.
  EXPECT_EQ(Shown("n.exe", Concat(Filler(3000), NextPiece(RandomBytes(100, 2)))), "？|未対応");
  // The name decides the pattern: a first piece named like a following one
  // is found by its marker, but its header is then read the other way.
  EXPECT_NE(Shown("f.d03", FirstPiece(RandomBytes(100, 3), 1000)), "○|");
}

TEST_F(CheckPieceFileTest, ContentFlagsFourOrMoreAreUnsupported) {
  const auto body = RandomBytes(3000, 4);
  auto piece = FirstPiece(body, 9000);
  ASSERT_EQ(piece[test::kFlagsOffset], 0);
  piece[test::kFlagsOffset] = 4;
  EXPECT_EQ(Shown("f4.d01", piece), "？|未対応");
  piece[test::kFlagsOffset] = 1;  // compressed bodies are summed like any other
  EXPECT_EQ(Shown("f1.d01", piece), "○|");
  piece[test::kFlagsOffset] = 3;
  EXPECT_EQ(Shown("f3.d01", piece), "○|");
}

TEST_F(CheckPieceFileTest, AlteredOrCutBodiesAreChecksumErrors) {
  const auto body = RandomBytes(3000, 5);
  auto piece = NextPiece(body);
  auto altered = piece;
  altered[13 + 1500] ^= 0x01;
  EXPECT_EQ(Shown("b.d02", altered), "▲|CRCエラー");
  auto cutBody = std::vector<std::uint8_t>(piece.begin(), piece.begin() + 13 + 2999);
  EXPECT_EQ(Shown("c.d02", cutBody), "▲|CRCエラー");
  // Cut inside the stored checksum: one checksum byte is left.
  auto cutCrc = std::vector<std::uint8_t>(piece.begin(), piece.begin() + 13 + 3000 + 1);
  EXPECT_EQ(Shown("d.d02", cutCrc), "▲|CRCエラー");
  // Only the trailer's end tag is missing: the checksum is whole.
  auto cutTag = std::vector<std::uint8_t>(piece.begin(), piece.end() - 1);
  EXPECT_EQ(Shown("e.d02", cutTag), "○|");
  // A stored checksum of the right value but the wrong byte order.
  auto swapped = piece;
  std::swap(swapped[13 + 3000], swapped[13 + 3001]);
  EXPECT_EQ(Shown("f.d02", swapped), "▲|CRCエラー");
}

TEST_F(CheckPieceFileTest, CutHeadersAreBroken) {
  // A following piece whose header carries one information record.
  const auto body = RandomBytes(200, 6);
  const std::vector<std::uint8_t> header = {'-',  'Q', 'X', '3', '-', 0,   0,   0,   220, 0x34,
                                            0x12, 2,   7,   5,   'a', 'b', 'c', 'd', 'e', 0};
  const auto padded =
      Concat(Concat(Concat(Filler(10), header), body), std::vector<std::uint8_t>{0, 0});
  ASSERT_EQ(Shown("whole.d02", padded), "▲|CRCエラー");  // the stored checksum is zero
  // Cut inside the record's data, before the end tag, inside PieceLength.
  EXPECT_EQ(Shown("rec.d02", {padded.begin(), padded.begin() + 10 + 15}),
            "▲|ファイルが壊れています");
  EXPECT_EQ(Shown("tag.d02", {padded.begin(), padded.begin() + 10 + 19}),
            "▲|ファイルが壊れています");
  EXPECT_EQ(Shown("len.d02", {padded.begin(), padded.begin() + 10 + 7}),
            "▲|ファイルが壊れています");
  // A first piece cut inside its SourceName record.
  const auto first = FirstPiece(RandomBytes(100, 7), 1000);
  EXPECT_EQ(Shown("cut.d01", {first.begin(), first.begin() + 20}), "▲|ファイルが壊れています");
}

TEST_F(CheckPieceFileTest, PieceLengthEndingInsideTheHeaderIsBroken) {
  auto piece = NextPiece(RandomBytes(100, 8));
  piece[8] = 12;  // PieceLength 12 against a 13-byte header
  EXPECT_EQ(Shown("short.d02", piece), "▲|ファイルが壊れています");
  piece[8] = 13;  // an empty body: the stored checksum then is the body's first bytes
  EXPECT_EQ(Shown("empty.d02", piece), "▲|CRCエラー");
}

TEST_F(CheckPieceFileTest, SinglePieceFirstPieceStopsAtTheSourceSize) {
  // Fit-to-free-space single piece: PieceLength records the full capacity.
  const auto body = RandomBytes(4000, 9);
  EXPECT_EQ(Shown("single.d01", FirstPiece(body, 4000, 1000000)), "○|");
  // A multi-piece first piece cut short is still caught.
  auto full = FirstPiece(body, 9000);
  full.resize(full.size() - 10);
  EXPECT_EQ(Shown("cutfirst.d01", full), "▲|CRCエラー");
}

TEST_F(CheckPieceFileTest, MarkerSearchBounds) {
  const auto piece = NextPiece(RandomBytes(500, 10));
  // Across the first block boundary.
  EXPECT_EQ(Shown("b1020.d02", Concat(Filler(1020), piece)), "○|");
  // The last start inside block 100 (which covers 100,881 to 101,904)...
  EXPECT_EQ(Shown("b101900.d02", Concat(Filler(101900), piece)), "○|");
  // ...and the first one beyond it.
  EXPECT_EQ(Shown("b101901.d02", Concat(Filler(101901), piece)), "？|未対応");
  EXPECT_EQ(Shown("b102400.d02", Concat(Filler(102400), piece)), "？|未対応");
  // The six-byte first-piece pattern across a boundary.
  const auto first = FirstPiece(RandomBytes(500, 11), 5000);
  EXPECT_EQ(Shown("s1021.exe", Concat(Filler(1021), first)), "○|");
  // Zero bytes before the marker do not end the search.
  EXPECT_EQ(Shown("zeros.d02", Concat(std::vector<std::uint8_t>(3000, 0), piece)), "○|");
}

TEST_F(CheckPieceFileTest, CancelTakesEffectOnlyAfterAFullBodyPortion) {
  const auto exact = NextPiece(RandomBytes(2048, 12));
  EXPECT_EQ(Shown("exact.d02", exact), "○|");
  EXPECT_EQ(Shown("exact.d02", exact, kRunCancelRequested), "cancelled");
  // No full portion: judged although a cancel is pending.
  EXPECT_EQ(Shown("small.d02", NextPiece(RandomBytes(1023, 13)), kRunCancelRequested), "○|");
  // No body summation at all.
  EXPECT_EQ(Shown("tiny.d02", Filler(5), kRunCancelRequested), "？|未対応");
}

TEST_F(CheckPieceFileTest, WhatCannotBeOpened) {
  EXPECT_EQ(ShownFor(dir_ / "missing.d02"), "×|ファイルが開けません");
  std::filesystem::create_directory(dir_ / "y.exe");
  EXPECT_EQ(ShownFor(dir_ / "y.exe"), "×|ファイルが開けません");
}

// A source whose reads fail from a given offset on.
class FailingSource final : public ByteSource {
 public:
  FailingSource(const std::vector<std::uint8_t>& data, std::int64_t failFrom)
      : memory_(data), failFrom_(failFrom) {}
  std::int64_t Read(std::span<std::byte> out) override {
    if (memory_.Position() + static_cast<std::int64_t>(out.size()) > failFrom_) {
      return -1;
    }
    return memory_.Read(out);
  }
  bool Seek(std::int64_t position) override { return memory_.Seek(position); }
  std::int64_t Position() const override { return memory_.Position(); }
  std::int64_t Size() const override { return memory_.Size(); }

 private:
  MemorySource memory_;
  std::int64_t failFrom_;
};

TEST(CheckPieceSource, ReadErrorsAreIoErrors) {
  const std::atomic<int> running{kRunRunning};
  const auto piece = Concat(Filler(3000), NextPiece(RandomBytes(5000, 14)));
  {
    MemorySource whole(piece);
    EXPECT_EQ(CheckPieceSource(whole, false, running), CheckVerdict::kOk);
  }
  for (const std::int64_t failFrom : {100, 3008, 3000 + 13 + 2500, 3000 + 13 + 5000}) {
    FailingSource failing(piece, failFrom);
    EXPECT_EQ(CheckPieceSource(failing, false, running), CheckVerdict::kIoError) << failFrom;
  }
}

}  // namespace
}  // namespace kv
