#pragma once
// Texts of the destination checks and prompts that both divide engines show.

namespace kv::texts {

inline constexpr const char* kDriveNotReady = "書き込み先のドライブの準備ができていません";
inline constexpr const char* kFreeSpaceTooSmall = "書込み先の空き容量が小さすぎます";
inline constexpr const char* kRequiredLine = "必要容量： %sBytes";
inline constexpr const char* kFreeLine = "空き容量： %sBytes";
inline constexpr const char* kCannotCreate = "ファイルを作成できません";
inline constexpr const char* kNextPiece = "次のファイルは「%s」になります";
inline constexpr const char* kUnexpectedError = "予期せぬエラーが発生しました。";
// Filled with the most pieces the series can number.
inline constexpr const char* kPieceLimitReached =
    "分割ファイルが作成できる上限の%s個に達したため、分割を中止します。";
inline constexpr const char* kNoRoomToExtend = "書き込み先の容量が足りません";
inline constexpr const char* kShortageCaption = "Kolvanto  容量不足";

}  // namespace kv::texts
