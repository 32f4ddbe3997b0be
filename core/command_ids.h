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

}  // namespace kv::ids
