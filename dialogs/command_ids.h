#pragma once
// The command and control identifiers of the main window: menu commands,
// accelerators and controls keep their numbers, and every widget carries an
// object name built from them so that tests and assistive tools find it.

#include <string>

namespace kv::ids {

// Controls of the main window.
inline constexpr int kCloseButton = 2;  // also the Cancel command
inline constexpr int kSourceBox = 1000;
inline constexpr int kSourceBrowse = 1001;  // also the Ctrl+O command
inline constexpr int kDestinationBox = 1002;
inline constexpr int kDestinationBrowse = 1003;  // also the Ctrl+M command
inline constexpr int kProgressBar = 1012;
inline constexpr int kSizeBox = 1013;
inline constexpr int kInformationField = 1020;
inline constexpr int kUpdateButton = 1021;   // also the F5 command
inline constexpr int kExecuteButton = 1022;  // also the F7 command
inline constexpr int kStatusField = 1026;
inline constexpr int kSelfRestoreCheck = 1119;

// Menu commands.
inline constexpr int kFirstKindCommand = 101;  // 101..106: one per stub kind
inline constexpr int kDivideTypeCommand = 32777;
inline constexpr int kAboutCommand = 32776;
inline constexpr int kSetupCommand = 32779;
inline constexpr int kSelfRestoreCommand = 32780;
inline constexpr int kNoKindPlaceholder = 32783;
inline constexpr int kDeleteSettingsCommand = 32784;
inline constexpr int kHomePageCommand = 32785;
inline constexpr int kValidityCheckCommand = 32788;
inline constexpr int kNoCarryOverCommand = 32790;
inline constexpr int kProtectSeriesCommand = 32791;
inline constexpr int kRepairSeriesCommand = 32792;
inline constexpr int kFirstRecentCommand = 32801;  // 32801..32808
inline constexpr int kHelpContentsCommand = 57666;
inline constexpr int kHelpSearchCommand = 57667;
inline constexpr int kHelpOnHelpCommand = 57668;

// Timers of the main window.
inline constexpr int kJobTimer = 1;
inline constexpr int kSourceMergeTimer = 2;
inline constexpr int kDestinationMergeTimer = 3;

// The object name a widget or menu action carries: "id" and its number.
inline std::string ObjectName(int id) {
  return "id" + std::to_string(id);
}

// ---- Settings sheets and the validity check dialog ----

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
inline constexpr int kRecoveryCheck = 1124;
inline constexpr int kRecoveryCountEdit = 1125;

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

}  // namespace kv::ids
