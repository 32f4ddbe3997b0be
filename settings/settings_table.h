#pragma once
// Where each setting lives in the store: its key, the field of the record it
// holds and how loading treats it, and the numbered runs of keys of the lists.
// Loading and saving both walk these tables, so a key is written down once.

#include <QString>
#include <cstddef>
#include <span>
#include <string>
#include <variant>

#include "core/divide_settings.h"

namespace kv::settings_table {

inline constexpr const char* kMajorVersionKey = "MajorVersion";
inline constexpr const char* kMinorVersionKey = "MinorVersion";
inline constexpr const char* kSelfRestoreKey = "Settings/SelfRestore";
inline constexpr const char* kWindowLeftKey = "Window/Left";
inline constexpr const char* kWindowTopKey = "Window/Top";
inline constexpr const char* kRecentFilesGroup = "Recent File List";

// How loading treats a stored value.
enum class OnLoad {
  kRead,        // read; a missing value takes the stored default
  kSetDefault,  // written, but loading sets the stored default without reading it
  kSkip,        // read on its own, outside the record's loading
};

using SettingField = std::variant<int DivideSettings::*, bool DivideSettings::*,
                                  char DivideSettings::*, std::string DivideSettings::*>;

// One plain option. Numbers, flags (as 0/1) and characters (by their code)
// are stored as numbers, texts as texts.
struct SettingDescriptor {
  const char* key;
  SettingField field;
  OnLoad onLoad = OnLoad::kRead;
};

// Every plain option of the record, in the order they are loaded.
std::span<const SettingDescriptor> PlainSettings();

// A numbered run of keys: `count` keys numbered from `first`, the number
// written with at least `digits` digits (zero-filled).
struct NumberedKeys {
  const char* pattern;  // "%1" stands for the number
  std::size_t first;
  std::size_t count;
  int digits;

  // The key of entry `index` (0-based) of the run.
  QString Key(std::size_t index) const;
};

// One default folder list and its keys.
struct DefaultPathKeys {
  DefaultPathList DefaultPathLists::*list;
  NumberedKeys keys;
};

std::span<const DefaultPathKeys> DefaultPathRuns();
const NumberedKeys& PresetKeys();
const NumberedKeys& RecentFileKeys();

}  // namespace kv::settings_table
