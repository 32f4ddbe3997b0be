#pragma once
// The texts the source analysis and Execute show: summaries, refusals,
// questions, captions and the window's captions and titles.

namespace kv::plan_texts {

// Window titles and button captions.
inline constexpr const char* kTitleIdle = "Kolvanto";
inline constexpr const char* kTitleDividing = "Kolvanto 分割中";
inline constexpr const char* kTitleRestoring = "Kolvanto 復元中";
inline constexpr const char* kTitleEnded = "Kolvanto 終了";
inline constexpr const char* kDivideButton = "分割開始(&X)";
inline constexpr const char* kRestoreButton = "復元開始(&X)";

// Source analysis.
inline constexpr const char* kSizeBelowMinimum = "分割サイズは%sbytes以上にして下さい";
inline constexpr const char* kCannotOpenSource =
    "元のファイルは開けません\r\n存在しないか、他のソフトが使用しています。";
inline constexpr const char* kNoSourceStatus =
    "元のファイルは存在しないか、他のソフトが使用しています。";
inline constexpr const char* kType0Summary = "分割元ファイル： %s  ? Bytes\r\nType0";
inline constexpr const char* kTypedSummary = "分割元ファイル： %s %sBytes\r\nType%d";
inline constexpr const char* kNoNeedToDivide = "分割する必要はありません。";
inline constexpr const char* kType12Over2GB =
    "Type2およびType1では、2GB以上のファイルを\r\n分割することはできません。";
// Filled with the most pieces the divide type can number.
inline constexpr const char* kTooManyPieces =
    "分割ファイルは%s個までしか作成できません。\r\n分割サイズを大きくして下さい。";
inline constexpr const char* kAnyMedium = "%sBytesの記憶媒体";
inline constexpr const char* kCountUnknown = "%sBytes 必要なメディアの枚数は不明です";
inline constexpr const char* kMediaCount = "%sBytes %sが %s枚必要です";
// Filled with the largest file the destination's file system holds.
inline constexpr const char* kLoweredToFileSystem =
    "\r\n書き込み先のファイルシステムの上限にあわせて、分割サイズを%sBytesにしました。";

// Execute.
inline constexpr const char* kNamesInvalid =
    "元のファイル名 及び 作成ファイル名を正しく指定してください";
inline constexpr const char* kCannotDividePiece = "このファイルは分割できません";
inline constexpr const char* kSelfRestoreCaption = "Kolvanto自己復元";
inline constexpr const char* kDosOver2GB =
    "MS-DOS用の自己復元型分割ファイルでは、2GBを超えるファイルは分割できません。";
inline constexpr const char* kWordSelfRestore = "自己復元型分割ファイルを作成";
inline constexpr const char* kWordDivide = "分割";
inline constexpr const char* kWordRestore = "復元";
inline constexpr const char* kConfirmHead =
    "以下の条件で%sします\n元のファイル名 : %s\n作成ファイル名 : %s\n";
inline constexpr const char* kConfirmKind = "ファイルの種類 : %s";
inline constexpr const char* kConfirmType = "分割タイプ : %d";
inline constexpr const char* kConfirmHeadCut =
    "\r\n先頭カット : 最初のファイル %sByte  以降のファイル %sByte";
inline constexpr const char* kConfirmCaption = "Kolvanto  実行確認";
inline constexpr const char* kOverwriteRefusedCaption = "Kolvanto  上書き禁止";
// The first piece of an earlier run of the same divide is there.
inline constexpr const char* kResumeQuestion =
    "%s は\n途中まで作成された分割ファイルです。続きから分割しますか？";
inline constexpr const char* kResumeCaption = "Kolvanto  続行確認";
inline constexpr const char* kNoStubData = "Kolvanto.datがありません";
// Filled with the stub data file's name.
inline constexpr const char* kStubDataDamaged =
    "%s は壊れています。\n自己復元型分割ファイルを作成できません。";
inline constexpr const char* kStubHoldsPattern =
    "%s の復元プログラムに分割ファイルの目印が含まれています。\n"
    "自己復元型分割ファイルを作成できません。";
inline constexpr const char* kChooseKind = "自己復元の種類を設定してください";
inline constexpr const char* kEndCaption = "Kolvanto  終了確認";
// After the final message of a restore that did not replace the file it was allowed to.
inline constexpr const char* kOutputKeptBeside =
    "\n元のファイルはそのままです。復元したデータは次の名前で残っています：\n%s";

}  // namespace kv::plan_texts
