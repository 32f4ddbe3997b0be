#pragma once
// The texts of the recovery data a divide adds: the information field's
// sentence, the question before a divide to removable media and the end of
// the divide.

namespace kv::recovery_texts {

// Filled with how many files can be rebuilt and the recovery data's size.
inline constexpr const char* kSummary =
    "\r\n修復データ： %s個までのファイルを作り直せます（約%sBytes）";
inline constexpr const char* kSummarySizeUnknown =
    "\r\n修復データ： %s個までのファイルを作り直せます（サイズは不明です）";
inline constexpr const char* kOnRemovable =
    "分割先は取り外しできるメディアのため、修復データは作成しません。\r\n"
    "分割ファイルを固定ドライブにそろえてから kolvanto-cli protect で作成できます。\r\n"
    "修復データなしで分割しますか？";
// The status field while the recovery files are written after the divide.
inline constexpr const char* kWriting = "修復データを作成しています";
// Followed by the recovery files, one a line.
inline constexpr const char* kWritten = "\r\n修復データを作成しました：";
inline constexpr const char* kNotWritten = "\r\n修復データは作成できませんでした";
// After kNotWritten, when the recovery data of a divide to removable media
// could not be written: the pieces on the media are not touched by it.
inline constexpr const char* kPiecesWhole = "\r\n分割ファイルは正しく作成されています";

// The window's protect command refusing a series.
inline constexpr const char* kNotFirstPiece =
    "修復データを作成できません。\r\n最初の分割ファイル（*.d01、*.000、*.001、*.exe "
    "など）を指定してください。";
inline constexpr const char* kTooManyPieces =
    "分割ファイルが 32,768 個を超えるため、修復データを作成できません。";
inline constexpr const char* kTooMuchRecovery =
    "作り直せるファイルの数が分割ファイルの数を超えています。";
inline constexpr const char* kSeriesIncomplete =
    "分割ファイルがそろっていないため、修復データを作成できません。\r\n"
    "欠けている分割ファイルは修復データでは作り直せません。";
inline constexpr const char* kEmptyPiece =
    "サイズが 0 の分割ファイルがあるため、修復データを作成できません。";

// The window's repair command.
inline constexpr const char* kRepairing = "修復データで修復しています";
inline constexpr const char* kNotRepairTarget =
    "修復できません。\r\n最初の分割ファイルか .par2 ファイルを指定してください。";
inline constexpr const char* kNoRecoveryData = "使える修復データが見つかりません。";
inline constexpr const char* kNothingToRepair =
    "修復の必要はありません。すべてのファイルが揃っています。";
// Filled with the recovery blocks lacking.
inline constexpr const char* kBlocksLacking =
    "修復データが足りません。あと %u 個の修復ブロックが必要です。";
inline constexpr const char* kDamageUnsolved = "修復データではこの破損を修復できません。";
inline constexpr const char* kRepairStopped = "修復を中止しました。ファイルは作り直していません。";
inline constexpr const char* kRepairFailed = "修復できませんでした。";
// After kRepairFailed when a rebuilt file did not match the recovery data.
inline constexpr const char* kRebuiltMismatch = "作り直したファイルが修復データと一致しません";
// Each followed by file names, one a line.
inline constexpr const char* kRebuilt = "次のファイルを作り直しました：";
inline constexpr const char* kKeptAs = "壊れていたファイルは次の名前で残しました：";

}  // namespace kv::recovery_texts
