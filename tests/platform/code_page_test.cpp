#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "core/recorded_name.h"

namespace kv {
namespace {

TEST(CodePage932, RecordedNamesReadThroughTheConverter) {
  struct Case {
    std::string recorded;
    std::string name;
  };
  const Case cases[] = {
      {"\x83\x65\x83\x58\x83\x67.txt", "テスト.txt"},
      {"テスト.txt", "テスト.txt"},
      // 0x5C as the second byte of "表" (0x95 0x5C) is no separator.
      {"\x95\x5C.txt", "表.txt"},
      {"dir\\\x83\x5C", "ソ"},
      // Half-width katakana ｱ (0xB1).
      {"\xB1.txt", "ｱ.txt"},
      // Neither UTF-8 nor CP932 (a lead byte without its second byte): Latin-1.
      {"caf\xE9", "café"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SanitizeRecordedName(c.recorded, CodePage932ToUtf8), c.name) << c.recorded;
  }
}

TEST(CodePage932, RefusesBytesThatAreNotCodePage932) {
  EXPECT_EQ(CodePage932ToUtf8("\x82\xA0"), "あ");
  EXPECT_FALSE(CodePage932ToUtf8("\x82"));      // lead byte cut short
  EXPECT_FALSE(CodePage932ToUtf8("\x82\x20"));  // no second byte starts with 0x20
}

}  // namespace
}  // namespace kv
