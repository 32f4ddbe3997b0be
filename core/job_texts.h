#pragma once
// Texts the job workers share: the running and final messages and the
// input/output error every engine reports.

namespace kv::texts {

inline constexpr const char* kDividing = "  分割中です";
// A resumed divide checking the pieces an earlier run left.
inline constexpr const char* kCheckingPieces = "  作成済みの分割ファイルを確認しています";
// A divide that went on behind the whole pieces of an earlier run, with the piece it began at.
inline constexpr const char* kDividingResumed = "  %s番目の分割ファイルから続けて分割中です";
inline constexpr const char* kRestoring = "  復元中です";
inline constexpr const char* kDivideDone = "分割が終了しました";
inline constexpr const char* kRestoreDone = "復元が終了しました";
inline constexpr const char* kDivideCancelled = "分割を中止しました";
inline constexpr const char* kRestoreCancelled = "復元を中止しました";
inline constexpr const char* kRestoreDoneWithError = "復元は終了しましたが、エラーが発生しました。";
inline constexpr const char* kIoError =
    "ファイル入出力エラーが発生しました。繰り返し発生する場合は、ディスクのエラーチェックをしてくだ"
    "さい。";
// An existing file in the way of a job, and the refusal to write over the source.
inline constexpr const char* kOverwriteQuestion =
    "%s は\nすでに存在しますが、上書きしてもよろしいですか";
inline constexpr const char* kOverwriteCaption = "Kolvanto  上書き確認";
inline constexpr const char* kCannotOverwrite = "このファイルに上書きする事はできません";
inline constexpr const char* kSameAsSource =
    "元のファイルと作成ファイルが同一です。作成ファイル名を変更してください";
// "%skBytes": the running byte count, KiB with grouped digits.
inline constexpr const char* kKiBytesSuffix = "kBytes";

}  // namespace kv::texts
