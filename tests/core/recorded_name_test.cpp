#include "core/recorded_name.h"

#include <gtest/gtest.h>

#include <string>

#include "core/utf8.h"

namespace kv {
namespace {

TEST(RecordedName, KeepsOnlyTheLastPathComponent) {
  EXPECT_EQ(SanitizeRecordedName("report.doc"), "report.doc");
  EXPECT_EQ(SanitizeRecordedName("../../etc/passwd"), "passwd");
  EXPECT_EQ(SanitizeRecordedName("C:\\Users\\ann\\a b.txt"), "a b.txt");
  EXPECT_EQ(SanitizeRecordedName("/abs/x"), "x");
}

TEST(RecordedName, RefusesNamesThatNameNoFile) {
  EXPECT_FALSE(SanitizeRecordedName(""));
  EXPECT_FALSE(SanitizeRecordedName("."));
  EXPECT_FALSE(SanitizeRecordedName(".."));
  EXPECT_FALSE(SanitizeRecordedName("dir/.."));
  EXPECT_FALSE(SanitizeRecordedName("dir/"));
  EXPECT_TRUE(SanitizeRecordedName(std::string(259, 'n')));
  EXPECT_FALSE(SanitizeRecordedName(std::string(260, 'n')));
}

// Each unsafe character becomes one "_", read back from a header and
// recorded alike; a Type2 name also loses the blanks at its ends.
TEST(RecordedName, UnsafeCharactersBecomeUnderscores) {
  struct Case {
    std::string given, safe, safeType2;
  };
  const Case cases[] = {
      {"a:b*c\"<d>|e?.txt", "a_b_c__d__e_.txt", "a_b_c__d__e_.txt"},
      {std::string("a\nb\0c\x1f\x7f", 7), "a_b_c__", "a_b_c__"},
      {" lead.txt ", " lead.txt ", "_lead.txt_"},
      {"  a b  ", "  a b  ", "__a b__"},
      {"x\xC2\x85y\xC2\x9F", "x_y_", "x_y_"},
      {"\xE2\x80\xAE"
       "a\xE2\x81\xA6"
       "b\xE2\x81\xA9"
       "c\xE2\x80\xAA",
       "_a_b_c_", "_a_b_c_"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SanitizeRecordedName(c.given), c.safe) << c.given;
    EXPECT_EQ(SafeFileName(c.given), c.safe) << c.given;
    EXPECT_EQ(SafeFileName(c.given, true), c.safeType2) << c.given;
  }
  // Neighbours of the replaced ranges stay: U+00A0, U+2029, U+202F, U+2065.
  const std::string kept = "\xC2\xA0\xE2\x80\xA9\xE2\x80\xAF\xE2\x81\xA5";
  EXPECT_EQ(SafeFileName(kept, true), kept);
  // A cut-short sequence is read as Latin-1; its C1 byte 0x85 is replaced.
  EXPECT_EQ(SanitizeRecordedName("a\x85"), "a_");
  EXPECT_EQ(SafeFileName("\xE2\x80"), "\xE2\x80");
}

TEST(RecordedName, WithoutACodePageANameThatIsNotUtf8IsLatin1) {
  EXPECT_EQ(SanitizeRecordedName("caf\xE9"), "café");
  EXPECT_EQ(SanitizeRecordedName("テスト.txt"), "テスト.txt");
}

TEST(RecordedName, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("テスト"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE3\x83"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

// A divide records the last component of a path of this system: a "\\"
// is a character of the name, made "_" like the other unsafe ones.
TEST(RecordedName, ASourceNameIsCutAtSlashesOnly) {
  EXPECT_EQ(RecordedSourceName("/tmp/a\\b.txt"), "a_b.txt");
  EXPECT_EQ(RecordedSourceName("/tmp/x.d\\re:port"), "x.d_re_port");
  EXPECT_EQ(RecordedSourceName("plain.doc"), "plain.doc");
  EXPECT_EQ(RecordedSourceName("/d/ lead\\ ", true), "_lead__");
}

}  // namespace
}  // namespace kv
