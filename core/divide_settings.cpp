#include "core/divide_settings.h"

#include "core/ascii_text.h"

#include <algorithm>
#include <iterator>

namespace kv {

DivideSettings DivideSettings::StoredDefaults() {
  DivideSettings s;
  s.DivideType = 3;
  s.DivideSize = "1457664";
  s.FDAuto = true;
  s.RemovableDrive = "";
  s.EndMessage = false;
  s.DefaultDV = false;
  s.DefaultRS = false;
  s.SelfRestore = false;
  s.Type0Type = 0;
  s.DivideExt = 1;
  s.DivideExtAddC = false;
  s.DivideExtChar = 0;
  s.TimingString = 1;
  s.TimingSize = 1;  // fixed: loading always sets it
  s.DivideString = "";
  s.RsDefaultExt = "";
  s.HeadCut = false;
  s.HeadCutFirst = 0;
  s.HeadCutNext = 0;
  s.RestoreNo = 0;
  s.ShortFileName = false;
  s.Recovery = false;
  s.RecoveryPieces = 1;
  s.DivideSizePresets = BuiltInPresets();
  return s;
}

const std::vector<SizePreset>& BuiltInPresets() {
  static const std::vector<SizePreset> presets{
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
      {std::string(kFitToFreeSpace), ""},
  };
  return presets;
}

SizePreset SplitPreset(std::string_view stored) {
  const auto bar = stored.find('|');
  if (bar == std::string_view::npos) {
    return {std::string(stored), {}};
  }
  return {std::string(stored.substr(0, bar)), std::string(stored.substr(bar + 1))};
}

std::string JoinPreset(const SizePreset& preset) {
  return preset.sizeText + "|" + preset.label;
}

bool IsFitToFreeSpace(std::string_view sizeText) {
  return sizeText == kFitToFreeSpace;
}

std::int64_t ReadSizeNumber(std::string_view sizeText) {
  std::string text;
  text.reserve(sizeText.size());
  std::copy_if(sizeText.begin(), sizeText.end(), std::back_inserter(text),
               [](char c) { return c != ','; });

  std::size_t i = 0;
  // The blanks a standard decimal conversion skips.
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::int64_t value = ReadSaturatedDecimal(text, i, kLargestDivideSize);
  return negative ? 0 : value;
}

namespace {

// The length in bytes of the folder mark `entry` ends in, 0 when none.
std::size_t FolderMarkLength(std::string_view entry) {
  // "/", "\", the full-width yen sign U+FFE5 and the yen sign U+00A5 (how a
  // backslash shows in Japanese fonts, and what the path prompt asks for).
  for (const std::string_view mark : {"/", "\\", "\xEF\xBF\xA5", "\xC2\xA5"}) {
    if (entry.ends_with(mark)) {
      return mark.size();
    }
  }
  return 0;
}

}  // namespace

bool IsFolderEntry(std::string_view entry) {
  return FolderMarkLength(entry) > 0;
}

std::string StoredPathEntry(std::string_view entry) {
  const std::size_t mark = FolderMarkLength(entry);
  if (mark == 0) {
    return std::string(entry);
  }
  return std::string(entry.substr(0, entry.size() - mark)) + '/';
}

std::span<const std::string> UsedEntries(const DefaultPathList& list) {
  const auto end =
      std::find_if(list.begin(), list.end(), [](const std::string& e) { return e.empty(); });
  return {list.begin(), end};
}

}  // namespace kv
