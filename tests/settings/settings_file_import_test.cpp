#include "settings/settings_file_import.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace kv {
namespace {

DivideSettings Apply(const std::string& text, bool* headerOk = nullptr) {
  DivideSettings s;
  std::istringstream in(text);
  const bool ok = ApplySettingsFile(in, s);
  if (headerOk != nullptr) {
    *headerOk = ok;
  }
  return s;
}

TEST(SettingsFileImport, EveryKeyIsRead) {
  const DivideSettings s = Apply(
      "[KolvantoSetup] written by hand\r\n"
      "DivideType=0\r\n"
      "DivideSize=  2,000,000Bytes (2MB)\r\n"
      "RemovableDrive=/media/usb;/media/sd extra\r\n"
      "Type0Type=2\r\n"
      "EndMessage=1\r\n"
      "DefaultDV=1\r\n"
      "DefaultRS=1\r\n"
      "DivideExt=0\r\n"
      "TimingString=0\r\n"
      "TimingSize=1\r\n"
      "DivideString=END OF PAGE \r\n"
      "RsDefaultExt=txt\r\n"
      "DivideExtAddC=1\r\n"
      "DivideExtChar=K\r\n"
      "HeadCut=1\r\n"
      "HeadCut1=128\r\n"
      "HeadCut2=64\r\n"
      "RestoreNo=4\r\n"
      "RSShortFileName=1\r\n"
      "FDAuto=0");  // last line without a line end
  EXPECT_EQ(s.DivideType, 0);
  EXPECT_EQ(s.DivideSize, "2,000,000Bytes");
  EXPECT_EQ(s.RemovableDrive, "/media/usb;/media/sd");
  EXPECT_EQ(s.Type0Type, 2);
  EXPECT_TRUE(s.EndMessage);
  EXPECT_TRUE(s.DefaultDV);
  EXPECT_TRUE(s.DefaultRS);
  EXPECT_EQ(s.DivideExt, 0);
  EXPECT_EQ(s.TimingString, 0);
  EXPECT_EQ(s.TimingSize, 1);
  EXPECT_EQ(s.DivideString, "END OF PAGE ");
  EXPECT_EQ(s.RsDefaultExt, "txt");
  EXPECT_TRUE(s.DivideExtAddC);
  EXPECT_EQ(s.DivideExtChar, 'K');
  EXPECT_TRUE(s.HeadCut);
  EXPECT_EQ(s.HeadCutFirst, 128);
  EXPECT_EQ(s.HeadCutNext, 64);
  EXPECT_EQ(s.RestoreNo, 4);
  EXPECT_TRUE(s.ShortFileName);
  EXPECT_FALSE(s.FDAuto);
}

TEST(SettingsFileImport, OneDigitValuesAndOddLines) {
  DivideSettings s = Apply(
      "[KolvantoSetup]\n"
      "DivideType=12\n"
      "dividetype=0\n"              // keys are case-sensitive
      "Type0Type=x\n"               // not a digit: left as it was
      "RestoreNo=1\nRestoreNo=3\n"  // the later line wins
      "DivideSize=\n"
      "HeadCut1=-5\n"
      "HeadCut2=99999999999\n"
      "DivideExtChar=\n");
  EXPECT_EQ(s.DivideType, 1);
  EXPECT_EQ(s.Type0Type, 0);
  EXPECT_EQ(s.RestoreNo, 3);
  EXPECT_EQ(s.DivideSize, "1457664");
  EXPECT_EQ(s.HeadCutFirst, -5);
  EXPECT_EQ(s.HeadCutNext, 2147483647);
  EXPECT_EQ(s.DivideExtChar, '\n');  // an empty value leaves the line end character
}

TEST(SettingsFileImport, WrongHeaderImportsNothing) {
  bool ok = true;
  const DivideSettings s = Apply("[KolvantoSetu]\nDivideType=0\n", &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.DivideType, 2);
  EXPECT_EQ(Apply("", &ok).DivideType, 2);
  EXPECT_FALSE(ok);
}

TEST(SettingsFileImport, LongLinesAreReadInPieces) {
  // First line: 998 characters in one piece, the rest matched as a line of its own.
  EXPECT_FALSE(Apply("[KolvantoSetup]" + std::string(998 - 15, 'x') + "FDAuto=0\n").FDAuto);
  EXPECT_TRUE(Apply("[KolvantoSetup]" + std::string(998 - 15 + 1, 'x') + "FDAuto=0\n").FDAuto);

  // Other lines: 798 characters.
  const std::string key = "DivideString=";
  DivideSettings s =
      Apply("[KolvantoSetup]\n" + key + std::string(798 - key.size(), 'a') + "DivideType=1\n");
  EXPECT_EQ(s.DivideString, std::string(798 - key.size(), 'a'));
  EXPECT_EQ(s.DivideType, 1);

  // A line of 797 characters and its line end fits in one piece.
  s = Apply("[KolvantoSetup]\n" + key + std::string(797 - key.size(), 'b') + "\nDivideType=0\n");
  EXPECT_EQ(s.DivideString, std::string(797 - key.size(), 'b'));
  EXPECT_EQ(s.DivideType, 0);
}

TEST(SettingsFileImport, DefaultPathLines) {
  const DivideSettings s = Apply(
      "[KolvantoSetup]\n"
      "DefaultPath1-1=/data/in/\n"
      "DefaultPath2-50=/data/out/\n"
      "DefaultPath2-7=/odd=name\n"
      "DefaultPath3-1=/three/\n"
      "DefaultPath0-2=/zero/\n"
      "DefaultPath1-0=/none/\n"
      "DefaultPath1-51=/past/\n"
      "DefaultPath1-=/empty/\n"
      "DefaultPath1_3=/bad/\n");
  EXPECT_EQ(s.DefaultPaths.Divide[0], "/data/in/");
  EXPECT_EQ(s.DefaultPaths.Restore[49], "/data/out/");
  EXPECT_EQ(s.DefaultPaths.Restore[6], "/odd=name");
  for (std::size_t i = 1; i < kDefaultPathEntries; ++i) {
    EXPECT_EQ(s.DefaultPaths.Divide[i], "") << i;
  }
  int restoreUsed = 0;
  for (const auto& entry : s.DefaultPaths.Restore) {
    restoreUsed += entry.empty() ? 0 : 1;
  }
  EXPECT_EQ(restoreUsed, 2);
}

}  // namespace
}  // namespace kv
