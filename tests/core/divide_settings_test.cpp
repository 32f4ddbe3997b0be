#include "core/divide_settings.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(DivideSettings, InitialAndStoredDefaultsDiffer) {
  const DivideSettings initial;
  EXPECT_EQ(initial.DivideType, 2);
  EXPECT_EQ(initial.DivideSize, "1457664Bytes (1.44MB)");
  EXPECT_EQ(initial.RemovableDrive, "A");
  EXPECT_EQ(initial.TimingSize, 0);
  EXPECT_EQ(initial.DivideExt, 1);
  EXPECT_EQ(initial.TimingString, 1);
  EXPECT_TRUE(initial.FDAuto);
  EXPECT_TRUE(initial.DivideSizePresets.empty());
  EXPECT_TRUE(initial.DefaultPaths.Restore[49].empty());

  const DivideSettings stored = DivideSettings::StoredDefaults();
  EXPECT_EQ(stored.DivideType, 3);
  EXPECT_EQ(stored.DivideSize, "1457664");
  EXPECT_EQ(stored.RemovableDrive, "");
  EXPECT_EQ(stored.TimingSize, 1);
  EXPECT_EQ(stored.DivideExtChar, 0);
  EXPECT_EQ(stored.DivideSizePresets.size(), 13u);
}

TEST(DivideSettings, BuiltInPresetsInOrder) {
  const std::vector<SizePreset> expected{
      {"1,457,664Bytes (1.44MB)", "1.44MBフロッピー"},
      {"1,250,304Bytes (1.25MB)", "1.25MBフロッピー"},
      {"730,112Bytes  (720KB)", "720KBフロッピー"},
      {"227,606,528Bytes (230MB)", "230MBＭＯ"},
      {"635,541,504Bytes (640MB)", "640MBＭＯ"},
      {"1,240,596,480Bytes (1.3GB)", "1.3GBＭＯ"},
      {"735,846,400Bytes (700MB)", "700MB CD-R"},
      {"4,294,967,295Bytes (4GB)", "FAT32 USBメモリ"},
      {"4,700,372,992Bytes (4.7GB)", "4.7GB DVD-R"},
      {"8,543,666,176Bytes (8.5GB)", "8.5GB DVD-R DL"},
      {"25,025,314,816Bytes (25GB)", "25GB BD-R"},
      {"26,214,400Bytes (25MB)", "メール添付 25MB"},
      {"空き容量にあわせる", ""},
  };
  EXPECT_EQ(BuiltInPresets(), expected);
  EXPECT_EQ(JoinPreset(BuiltInPresets()[2]), "730,112Bytes  (720KB)|720KBフロッピー");
  EXPECT_EQ(JoinPreset(BuiltInPresets()[12]), "空き容量にあわせる|");
  // Every size text reads as the byte count it shows.
  const std::int64_t counts[] = {1457664,    1250304,    730112,      227606528,
                                 635541504,  1240596480, 735846400,   4294967295,
                                 4700372992, 8543666176, 25025314816, 26214400};
  for (std::size_t i = 0; i < std::size(counts); ++i) {
    EXPECT_EQ(ReadSizeNumber(BuiltInPresets()[i].sizeText), counts[i]) << i;
  }
}

TEST(DivideSettings, SplitPresetAtTheFirstBar) {
  EXPECT_EQ(SplitPreset("1,000Bytes|a|b"), (SizePreset{"1,000Bytes", "a|b"}));
  EXPECT_EQ(SplitPreset("2,000Bytes"), (SizePreset{"2,000Bytes", ""}));
  EXPECT_EQ(SplitPreset("|label"), (SizePreset{"", "label"}));
  EXPECT_EQ(SplitPreset(""), (SizePreset{"", ""}));
  for (const auto& preset : BuiltInPresets()) {
    EXPECT_EQ(SplitPreset(JoinPreset(preset)), preset);
  }
}

TEST(DivideSettings, ReadSizeNumber) {
  EXPECT_EQ(ReadSizeNumber("1,457,664Bytes (1.44MB)"), 1457664);
  EXPECT_EQ(ReadSizeNumber("730,112Bytes  (720KB)"), 730112);
  EXPECT_EQ(ReadSizeNumber("1,240,596,480Bytes (1.3GB)"), 1240596480);
  EXPECT_EQ(ReadSizeNumber("12abc"), 12);
  EXPECT_EQ(ReadSizeNumber("abc"), 0);
  EXPECT_EQ(ReadSizeNumber(""), 0);
  EXPECT_EQ(ReadSizeNumber("空き容量にあわせる"), 0);
  EXPECT_EQ(ReadSizeNumber("  +1,024"), 1024);
  EXPECT_EQ(ReadSizeNumber(" 1 024"), 1);
  EXPECT_EQ(ReadSizeNumber("2147483647"), 2147483647);
  EXPECT_EQ(ReadSizeNumber("2147483648"), 2147483648);
  EXPECT_EQ(ReadSizeNumber("1,099,511,627,776Bytes (1TB)"), 1099511627776);
  EXPECT_EQ(ReadSizeNumber("1,099,511,627,777"), 1099511627776);
  EXPECT_EQ(ReadSizeNumber("99999999999999999999999999999999Bytes"), 1099511627776);
  // A negative count never reads as the fit-to-free-space marker -1.
  EXPECT_EQ(ReadSizeNumber("-1"), 0);
  EXPECT_EQ(ReadSizeNumber("-99999999999999999999"), 0);
}

TEST(DivideSettings, FitToFreeSpaceComparesTheWholeText) {
  EXPECT_TRUE(IsFitToFreeSpace("空き容量にあわせる"));
  EXPECT_FALSE(IsFitToFreeSpace("空き容量にあわせる "));
  EXPECT_FALSE(IsFitToFreeSpace("空き容量"));
  EXPECT_FALSE(IsFitToFreeSpace(""));
}

TEST(DivideSettings, DefaultPathListsAreUsedUpToTheFirstEmptyEntry) {
  DivideSettings s;
  EXPECT_TRUE(UsedEntries(s.DefaultPaths.Divide).empty());
  s.DefaultPaths.Divide[0] = "/home/ann/";
  s.DefaultPaths.Divide[1] = "/home/ann/a.txt";
  s.DefaultPaths.Divide[3] = "/after/the/gap/";
  const auto used = UsedEntries(s.DefaultPaths.Divide);
  ASSERT_EQ(used.size(), 2u);
  EXPECT_EQ(used[1], "/home/ann/a.txt");
  for (auto& entry : s.DefaultPaths.Restore) {
    entry = "x";
  }
  EXPECT_EQ(UsedEntries(s.DefaultPaths.Restore).size(), 50u);
}

TEST(DivideSettingsTest, EveryFolderMarkIsStoredAsASlash) {
  const struct {
    const char* entry;
    bool folder;
    const char* stored;
  } cases[] = {{"/media/usb/", true, "/media/usb/"},    {"/media/usb\\", true, "/media/usb/"},
               {"/media/usb￥", true, "/media/usb/"},   {"/media/usb¥", true, "/media/usb/"},
               {"C:\\data\\", true, "C:\\data/"},       {"/media/usb", false, "/media/usb"},
               {"/media/usb¥a", false, "/media/usb¥a"}, {"", false, ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsFolderEntry(c.entry), c.folder) << c.entry;
    EXPECT_EQ(StoredPathEntry(c.entry), c.stored) << c.entry;
  }
}

}  // namespace
}  // namespace kv
