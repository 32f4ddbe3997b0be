#pragma once
// The record of every user option: what the engines, the job planner and the
// main window read. Holds the divide-size presets and the two default folder
// lists, and reads a byte count out of a size text.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// One entry of the size box: the text shown and the name of the medium of that size.
struct SizePreset {
  std::string sizeText;
  std::string label;  // may be empty
  bool operator==(const SizePreset&) const = default;
};

inline constexpr std::size_t kDefaultPathEntries = 50;
inline constexpr std::size_t kMaxStoredPresets = 100;
using DefaultPathList = std::array<std::string, kDefaultPathEntries>;

// The two default folder lists, named by their stored names.
struct DefaultPathLists {
  DefaultPathList Divide;   // offered in the source box
  DefaultPathList Restore;  // offered in the destination box
};

// The size text that sizes every piece to the free space of the destination medium.
inline constexpr std::string_view kFitToFreeSpace = "空き容量にあわせる";

// The largest divide size of Type1 and Type2, whose headers hold no more.
inline constexpr std::int32_t kMaxDivideSize = 2147483647;
// The largest divide size of Type0 and Type3 (1 TiB); longer numbers in a
// size text read as this.
inline constexpr std::int64_t kLargestDivideSize = std::int64_t{1} << 40;

struct DivideSettings {
  // Member initialisers hold the values in force before anything is loaded.
  int DivideType = 2;
  std::string DivideSize = "1457664Bytes (1.44MB)";
  bool FDAuto = true;
  std::string RemovableDrive = "A";
  bool EndMessage = false;
  bool DefaultDV = false;
  bool DefaultRS = false;
  bool SelfRestore = false;
  int Type0Type = 0;
  int DivideExt = 1;
  bool DivideExtAddC = false;
  char DivideExtChar = 0;
  int TimingString = 1;
  int TimingSize = 0;
  std::string DivideString;
  std::string RsDefaultExt;
  bool HeadCut = false;
  int HeadCutFirst = 0;
  int HeadCutNext = 0;
  int RestoreNo = 0;
  bool ShortFileName = false;
  // A divide adds PAR2 recovery data that rebuilds this many lost pieces.
  bool Recovery = false;
  int RecoveryPieces = 1;
  // Empty until loaded; loading falls back to BuiltInPresets() when nothing is stored.
  std::vector<SizePreset> DivideSizePresets;
  DefaultPathLists DefaultPaths;

  // The values used for keys the settings store does not hold (presets: the built-in ones).
  static DivideSettings StoredDefaults();
};

// The thirteen presets offered when none are stored, in order; the last is kFitToFreeSpace.
const std::vector<SizePreset>& BuiltInPresets();

// Splits a stored preset at its first "|": size text before, label after (empty without "|").
SizePreset SplitPreset(std::string_view stored);
// The stored form: size text, "|", label.
std::string JoinPreset(const SizePreset& preset);

// True when the whole text is the fit-to-free-space text.
bool IsFitToFreeSpace(std::string_view sizeText);

// Reads a byte count from a size text: every "," is dropped, then optional
// blanks and a sign, then the leading decimal digits. No digits read as 0,
// counts above kLargestDivideSize as kLargestDivideSize. A negative count reads as 0
// so that it can never be mistaken for the fit-to-free-space marker (-1).
std::int64_t ReadSizeNumber(std::string_view sizeText);

// True when a default-path entry names a folder: it ends in "/", "\" (as
// stored on Windows), "￥" or "¥".
bool IsFolderEntry(std::string_view entry);
// A default-path entry in the one form it is stored and used in: a folder
// ends in "/", so a name joined to it lands inside the folder.
std::string StoredPathEntry(std::string_view entry);

// The used part of a default folder list: the entries up to the first empty one.
std::span<const std::string> UsedEntries(const DefaultPathList& list);

}  // namespace kv
