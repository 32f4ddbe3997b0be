// The restorer's C logic on this machine: names, the marker scan, flagged
// integers and the recorded time (first headers: header_agreement_test.cpp).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

extern "C" {
#include "restorer/names.h"
#include "restorer/series.h"
#include "restorer/text.h"
#include "restorer/utc_time.h"
}

namespace kv::test {
namespace {

class RestorerLogic : public ::testing::Test {
 protected:
  // Opens a file holding `bytes` in the reader.
  reader& Open(const std::vector<std::uint8_t>& bytes) {
    WriteFileBytes(dir / "f", bytes);
    rd_close(in.get());
    EXPECT_TRUE(rd_open(in.get(), (dir / "f").c_str()));
    return *in;
  }
  void TearDown() override { rd_close(in.get()); }

  TempDir dir;
  std::unique_ptr<reader> in = [] {
    auto r = std::make_unique<reader>();
    r->fd = SYS_NO_FD;
    return r;
  }();
};

// What names become is compared with the program's reader in
// header_agreement_test.cpp; here, the buffer.
TEST(RestorerNames, ANameThatDoesNotFitIsRefused) {
  // A name that does not fit the buffer is refused, never cut.
  char small[8];
  EXPECT_EQ(safe_name("abcdefgh", small, sizeof small), 0);
}

TEST(RestorerNames, FollowingPiecesAndFolders) {
  const struct {
    const char* name;
    int number;
    const char* piece;
  } pieces[] = {
      {"/m/report.exe", 2, "/m/report.d02"},
      {"/m/report.exe", 100, "/m/report.d100"},
      {"/m.x/report", 3, "/m.x/report.d03"},
      {"report.tar.exe", 9, "report.tar.d09"},
  };
  for (const auto& c : pieces) {
    char out[SYS_PATH_MAX];
    piece_name(c.name, c.number, out, sizeof out);
    EXPECT_STREQ(out, c.piece);
  }
  char out[SYS_PATH_MAX];
  recovery_index_name("/m.x/report.d03", out, sizeof out);
  EXPECT_STREQ(out, "/m.x/report.par2");
  recovery_index_name("report.tar.exe", out, sizeof out);
  EXPECT_STREQ(out, "report.tar.par2");
  folder_of("/report.exe", out, sizeof out);
  EXPECT_STREQ(out, "/");
  folder_of("report.exe", out, sizeof out);
  EXPECT_STREQ(out, ".");
  folder_of("/a/b/report.exe", out, sizeof out);
  EXPECT_STREQ(out, "/a/b");
  join_path("/", "x", out, sizeof out);
  EXPECT_STREQ(out, "/x");
  join_path("/a", "x", out, sizeof out);
  EXPECT_STREQ(out, "/a/x");
}

// Every number a following piece can have, and nothing else.
TEST(RestorerNames, ReadThePieceNumberOfAName) {
  const struct {
    const char* name;
    int number;
  } cases[] = {
      {"report.d02", 2},        {"/a.d09/x.D04", 4},  {"report.d100", 100},
      {"report.d32895", 32895}, {"report.d32896", 0}, {"report.d99999999999", 0},
      {"report.d01", 0},        {"report.d04x", 0},   {"report.d", 0},
      {"report.doc", 0},        {"report", 0},        {"/a.d09/report", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(piece_number_in_name(c.name), c.number);
  }
}

TEST(RestorerText, EscapesWhatATerminalWouldObey) {
  const struct {
    const char* text;
    const char* shown;
  } cases[] = {
      {"/tmp/a\x1b[31mb/report.exe", "/tmp/a\\x1b[31mb/report.exe"},
      {"a\nb\rc\td", "a\\nb\\rc\\td"},
      {"\x01\x7f", "\\x01\\x7f"},
      {"\xff\xC0\xAF", "\\xff\\xc0\\xaf"},  // no UTF-8, overlong "/"
      {"a\xC2\x85"
       "b\xE2\x80\xAE"
       "c\xE2\x81\xA9",
       "a\\u0085b\\u202ec\\u2069"},
      {"報告\xC2\xA0.doc", "報告\xC2\xA0.doc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    char out[256] = "";
    text_add_escaped(out, sizeof out, c.text);
    EXPECT_STREQ(out, c.shown);
  }
}

TEST(RestorerTime, RecordedTimeToSeconds) {
  const auto pack = [](int month, int day, int hour, int minute, int second) {
    return static_cast<unsigned long>(second | minute << 6 | hour << 12 | day << 17 | month << 22);
  };
  const struct {
    int year;
    unsigned long packed;
    long long seconds;  // -1: not a calendar time
  } cases[] = {
      {2003, pack(12, 31, 23, 30, 0), 1072913400},
      {1970, pack(1, 1, 0, 0, 0), 0},
      {2000, pack(2, 29, 12, 0, 0), 951825600},
      {2038, pack(1, 19, 3, 14, 8), 2147483648},
      {2001, pack(2, 29, 0, 0, 0), -1},
      {2004, pack(0, 1, 0, 0, 0), -1},
      {2004, pack(13, 1, 0, 0, 0), -1},
      {2004, pack(4, 31, 0, 0, 0), -1},
      {2004, pack(1, 1, 24, 0, 0), -1},
      {2004, pack(1, 1, 0, 60, 0), -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.year);
    i64 seconds = -1;
    const int ok = recorded_to_unix(c.year, c.packed, &seconds);
    EXPECT_EQ(ok != 0, c.seconds >= 0);
    if (ok) {
      EXPECT_EQ(seconds, c.seconds);
    }
  }
}

TEST_F(RestorerLogic, Crc16AndFlaggedIntegers) {
  EXPECT_EQ(crc16_update(0, "123456789", 9), 0x31C3);
  EXPECT_EQ(crc16_update(crc16_update(0, "1234", 4), "56789", 5), 0x31C3);

  reader& r = Open({0x7F, 0x80, 0x00, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x80, 0x00, 0x00,
                    0x00, 0xAA, 0x05, 0xF2, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF,
                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80});
  EXPECT_EQ(rd_flagged16(&r), 127);
  EXPECT_EQ(rd_flagged16(&r), 128);
  EXPECT_EQ(rd_flagged16(&r), 32895);
  EXPECT_EQ(rd_flagged64(&r), 0x7FFFFFFF);
  EXPECT_EQ(rd_flagged64(&r), 5000000000LL);
  EXPECT_EQ(rd_flagged64(&r), 0x7FFFFFFFFFFFFFFFLL);
  EXPECT_EQ(rd_flagged64(&r), -1);  // a value beyond 63 bits
  EXPECT_EQ(rd_flagged16(&r), -1);  // its second byte is missing
}

TEST_F(RestorerLogic, MarkerScanBounds) {
  const std::string marker = "-QX3-";
  const struct {
    std::size_t size;
    std::size_t at;
    long long limitAbove;  // read limit: the size plus this
    long long found;       // -1: not found
  } cases[] = {
      {3000, 1021, 0, 1021},              // across the first block boundary
      {102400 + 500, 101000, 0, 101000},  // inside the hundredth block
      {110000, 102000, 0, -1},            // beyond the hundred blocks
      {2000, 1990, 0, -1},                // in a last partial block, left unread...
      {2000, 1990, 1024, 1990},           // ...unless the limit reaches past the end
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.at);
    std::vector<std::uint8_t> bytes(c.size, 0);
    std::copy(marker.begin(), marker.end(), bytes.begin() + static_cast<long>(c.at));
    reader& r = Open(bytes);
    EXPECT_EQ(find_marker(&r, marker.c_str(), 5, 4, 0, r.size + c.limitAbove), c.found);
  }
}

// First headers are read by header_agreement_test.cpp; here, the pattern the
// stub makes at run time.
TEST(RestorerPattern, MadeAtRunTime) {
  char pattern[6];
  ASSERT_EQ(first_pattern(pattern), 6);
  EXPECT_EQ(std::string(pattern, 6), std::string("\x03-QX3-", 6));
}

}  // namespace
}  // namespace kv::test
