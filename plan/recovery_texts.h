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

}  // namespace kv::recovery_texts
