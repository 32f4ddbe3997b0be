#pragma once
// Numeric identifiers of the program's commands and controls. Widgets carry
// the object name ControlObjectName(id) so that tests can look them up.

#include <string>

namespace kv {

// The object name of the widget standing for control `id`.
inline std::string ControlObjectName(int id) {
  return "ctl" + std::to_string(id);
}

// ---- Settings sheets and the validity check dialog ----
namespace ids {

// Standard buttons of dialogs.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// "一般設定"
inline constexpr int kEndMessageCheck = 1062;
inline constexpr int kFdAutoCheck = 1091;
inline constexpr int kDefaultDvCheck = 1063;
inline constexpr int kDefaultRsCheck = 1082;
inline constexpr int kRemovableDriveEdit = 1017;

// "分割設定"
inline constexpr int kPresetSizeEdit = 1106;
inline constexpr int kPresetLabelEdit = 1113;
inline constexpr int kPresetList = 1108;
inline constexpr int kPresetAddButton = 1105;
inline constexpr int kPresetDeleteButton = 1107;
inline constexpr int kPresetStandardButton = 1110;

// "復元設定"
inline constexpr int kRsDefaultExtEdit = 1080;
inline constexpr int kHeadCutCheck = 1077;
inline constexpr int kHeadCutFirstEdit = 1078;
inline constexpr int kHeadCutNextEdit = 1079;

// "自己復元"
inline constexpr int kRestoreKindList = 1076;
inline constexpr int kShortFileNameCheck = 1088;

// "デフォルトパス"
inline constexpr int kDividePathList = 1046;
inline constexpr int kDividePathAdd = 1048;
inline constexpr int kDividePathEdit = 1049;
inline constexpr int kDividePathDelete = 1050;
inline constexpr int kRestorePathList = 1051;
inline constexpr int kRestorePathAdd = 1052;
inline constexpr int kRestorePathEdit = 1053;
inline constexpr int kRestorePathDelete = 1054;

// "パス（ファイル）を指定"
inline constexpr int kPathInputEdit = 1020;
inline constexpr int kPathFileBrowse = 1055;
inline constexpr int kPathFolderBrowse = 1114;

// " 全般 "
inline constexpr int kType0Radio = 1014;
inline constexpr int kType1Radio = 1015;
inline constexpr int kType2Radio = 1025;
inline constexpr int kType3Radio = 1092;
inline constexpr int kTypeDescription = 1098;

// " Type0 "
inline constexpr int kSplitBySizeRadio = 1094;
inline constexpr int kSplitByLineRadio = 1096;
inline constexpr int kSplitByStringRadio = 1097;
inline constexpr int kSplitStringEdit = 1095;
inline constexpr int kExtFrom000Radio = 1043;
inline constexpr int kExtFrom001Radio = 1044;
inline constexpr int kExtAddCharCheck = 1067;
inline constexpr int kExtCharEdit = 1068;
inline constexpr int kBeforeStringRadio = 1039;
inline constexpr int kAfterStringRadio = 1040;
inline constexpr int kWithinSizeRadio = 1041;
inline constexpr int kAfterSizeRadio = 1042;

// "正当性チェック"
inline constexpr int kCheckFolderEdit = 1123;
inline constexpr int kCheckBrowseButton = 1121;
inline constexpr int kCheckList = 1120;

}  // namespace ids
}  // namespace kv
