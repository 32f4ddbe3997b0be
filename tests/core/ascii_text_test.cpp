#include "core/ascii_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kv {
namespace {

TEST(AsciiText, DecimalReadingSaturatesAndStopsAtTheFirstOtherByte) {
  struct Case {
    std::string text;
    std::int64_t limit;
    bool commas;
    std::int64_t value;
    std::size_t end;
  };
  const Case cases[] = {
      {"1457664Bytes", 2147483647, false, 1457664, 7},
      {"1,457,664", 2147483647, false, 1, 1},
      {"1,457,664", 2147483647, true, 1457664, 9},
      {"2147483648", 2147483647, false, 2147483647, 10},
      {"99999999999999999999999999", 2147483648, false, 2147483648, 26},
      {"7", 5, false, 5, 1},
      {"x12", 100, false, 0, 0},
      {"", 100, false, 0, 0},
  };
  for (const Case& c : cases) {
    std::size_t at = 0;
    EXPECT_EQ(ReadSaturatedDecimal(c.text, at, c.limit, c.commas), c.value) << c.text;
    EXPECT_EQ(at, c.end) << c.text;
  }
}

TEST(AsciiText, CaseFoldingTouchesOnlyAsciiLetters) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Report.D01", "report.d01"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("report.d01", "report.d0"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC3\x84", "\xC3\xA4"));  // Ä and ä stay apart
  EXPECT_TRUE(EndsWithIgnoringAsciiCase("SETUP.EXE", ".exe"));
  EXPECT_FALSE(EndsWithIgnoringAsciiCase("exe", ".exe"));
  EXPECT_EQ(AsciiUpper('z'), 'Z');
  EXPECT_EQ(AsciiUpper('{'), '{');
  EXPECT_EQ(AsciiLower('@'), '@');
}

}  // namespace
}  // namespace kv
