#pragma once
// The messages of settings persistence: the newer-version warning, the
// warnings about a store or values that cannot be used, and the questions of
// the command that deletes the stored settings.

namespace kv {

inline constexpr const char* kNewerSettingsText =
    "　現在の記録されている設定は、より新しいバージョンの設定です。\n"
    "そのため、正しく引き継がれないかもしれません。";
// Filled with the store's file name.
inline constexpr const char* kUnusableStoreText =
    "設定ファイルが通常のファイルではないため、既定の設定を使います。\n%s";
// One line a value: its stored name and the value used instead.
inline constexpr const char* kUnusableValueText = "設定 %s の値が正しくないため、%s を使います。";
inline constexpr const char* kDeleteSettingsQuestion =
    "レジストリから、Kolvantoの設定内容を消去します。１度消去された設定は元に戻せません。\n"
    "消去してもよろしいですか？";
inline constexpr const char* kSettingsDeletedQuestion =
    "レジストリから、Kolvantoの設定内容を消去しました。\n"
    "このまま終了すると、完全に設定内容が失われます。\n"
    "終了してよろしいですか？";
inline constexpr const char* kThanksText =
    "ご利用ありがとうございました。\nまたのご利用をお待ちしています。";

}  // namespace kv
