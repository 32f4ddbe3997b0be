#pragma once
// Texts of the questions and messages the two restore engines show.

namespace kv::texts {

// Type0: a series that may end at any piece.
inline constexpr const char* kNextMediumQuestion =
    "次に%sを読み込みます\nこれで完了の場合はいいえを選んでください";
inline constexpr const char* kPieceMissingQuestion =
    "ファイルが見つかりません\n%s\nこれで完了の場合はｷｬﾝｾﾙを選んでください";

// Typed series.
inline constexpr const char* kRestoreCheckCaption = "Kolvanto 復元確認";
// The check-byte question of a Type2 series carries the two-blank caption.
inline constexpr const char* kRestoreCheckByteCaption = "Kolvanto  復元確認";

inline constexpr const char* kPieceCannotOpen = "ファイルを開けません";
inline constexpr const char* kPieceEndMissing = "ファイルの終端が欠けています。\n[%s]";
inline constexpr const char* kPieceContentWrong = "ファイルの内容が正しくありません。\n[%s]";
inline constexpr const char* kPieceContentWrongForce =
    "ファイルの内容が正しくありません。強行しますか？\n[%s]";
inline constexpr const char* kPieceBroken = "ファイルが壊れています。\n[%s]";
inline constexpr const char* kTypedNextMedium = "次に%sを読み込みます";
inline constexpr const char* kTypedPieceMissing = "ファイルが見つかりません\n%s";
inline constexpr const char* kPieceAbnormal = "分割ファイルが異常です。\n[%s]";
inline constexpr const char* kPieceOfOtherSeries =
    "「%s」は、\n現在復元中のファイルとは異なります。強行しますか？";

// Pieces missing or damaged that the recovery data beside the series rebuilds;
// filled with their names.
inline constexpr const char* kRebuildQuestion = "修復データから %s を作り直しますか？";

}  // namespace kv::texts
