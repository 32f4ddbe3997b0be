#include "core/recorded_name.h"

#include <gtest/gtest.h>

#include <string>

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
  EXPECT_FALSE(SanitizeRecordedName("a\nb"));
  EXPECT_FALSE(SanitizeRecordedName(std::string("a\0b", 3)));
  EXPECT_FALSE(SanitizeRecordedName("\x1f"));
  EXPECT_TRUE(SanitizeRecordedName(std::string(259, 'n')));
  EXPECT_FALSE(SanitizeRecordedName(std::string(260, 'n')));
}

TEST(RecordedName, ConvertsCodePage932AndKeepsUtf8) {
  EXPECT_EQ(SanitizeRecordedName("\x83\x65\x83\x58\x83\x67.txt"), "テスト.txt");
  EXPECT_EQ(SanitizeRecordedName("テスト.txt"), "テスト.txt");
  // 0x5C as the second byte of "表" (0x95 0x5C) is no separator.
  EXPECT_EQ(SanitizeRecordedName("\x95\x5C.txt"), "表.txt");
  // Half-width katakana ｱ (0xB1).
  EXPECT_EQ(SanitizeRecordedName("\xB1.txt"), "ｱ.txt");
  // Neither UTF-8 nor CP932 (a lead byte without its second byte): Latin-1.
  EXPECT_EQ(SanitizeRecordedName("caf\xE9"), "café");
}

TEST(RecordedName, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("テスト"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE3\x83"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

}  // namespace
}  // namespace kv
