#pragma once
// The fixed texts of the desktop program: control labels, menu items, the
// file dialogs, the capacity-shortage dialog, the about box and the drop question.

namespace kv::window_texts {

// Controls.
inline constexpr const char* kSourceLabel = "元のファイル(&B)";
inline constexpr const char* kSourceBrowse = "参照(&M)...";
inline constexpr const char* kDestinationLabel = "作成ファイル(&P)";
inline constexpr const char* kDestinationBrowse = "参照(&D)...";
inline constexpr const char* kInformationLabel = "情報";
inline constexpr const char* kSizeLabel = "分割サイズ(&S)";
inline constexpr const char* kSelfRestoreCheck = "自己復元型分割ファイルを作成(&F)";
inline constexpr const char* kUpdateButton = "更新(&R)";
inline constexpr const char* kExecuteButton = "実行(&X)";
inline constexpr const char* kCloseButton = "閉じる(&C)";
inline constexpr const char* kCancelButton = "キャンセル(&C)";
inline constexpr const char* kInitialInformation = "Kolvanto ver.%s.%s";
inline constexpr const char* kInitialSize = "1457664Bytes (1.44MB)";

// Menus, by position.
inline constexpr const char* kFileMenu = "ファイル(&F)";
inline constexpr const char* kExecuteMenu = "実行(&E)";
inline constexpr const char* kSettingsMenu = "設定(&U)";
inline constexpr const char* kToolsMenu = "ツール(&T)";
inline constexpr const char* kHelpMenu = "ヘルプ(&H)";
// Menu items; the key text after the tab.
inline constexpr const char* kChooseSourceItem = "元のファイル指定(&M)...\tCtrl+O";
inline constexpr const char* kChooseDestinationItem = "作成ファイル指定(&D)...\tCtrl+M";
inline constexpr const char* kRecentPlaceholder = "最新のファイル";
inline constexpr const char* kNoCarryOverItem = "今回の設定を次回起動時に引き継がない(&N)";
inline constexpr const char* kExitItem = "終了(&X)";
inline constexpr const char* kDeleteSettingsItem = "レジストリを削除して終了(&Q)";
inline constexpr const char* kUpdateItem = "情報の更新(&R)\tF5";
inline constexpr const char* kExecuteItem = "実行(&X)\tF7";
inline constexpr const char* kSelfRestoreItem = "自己復元型分割ファイル作成(&S)\tCtrl+F7";
inline constexpr const char* kKindSubmenu = "種類を選択して自己復元型を作成(&C)";
inline constexpr const char* kNoKindItem = "選択できません";
inline constexpr const char* kKindItem = "%s(&%d)";
inline constexpr const char* kSetupItem = "動作設定(&S)...";
inline constexpr const char* kDivideTypeItem = "分割タイプ(&T)...";
inline constexpr const char* kValidityCheckItem = "正当性チェック(&C)...";
inline constexpr const char* kProtectSeriesItem = "修復データの作成(&P)...";
inline constexpr const char* kRepairSeriesItem = "修復データで修復(&R)...";
inline constexpr const char* kHelpContentsItem = "目次(&C)\tF1";
inline constexpr const char* kHelpSearchItem = "検索(&S)...";
inline constexpr const char* kHelpOnHelpItem = "ヘルプの使い方(&H)";
inline constexpr const char* kHomePageItem = "ホームページ(&P)";
inline constexpr const char* kAboutItem = "バージョン情報(&A)...";

// File selection.
inline constexpr const char* kOpenTitle = "元のファイル名を指定";
inline constexpr const char* kSaveTitle = "作成ファイル名を指定";
// Pairs of description and pattern, each followed by "|".
inline constexpr const char* kSourceFilters =
    "すべてのファイル (*.*)|*.*|"
    "分割ファイル (*.d01; *.000; *.001; *.exe)|*.d01;*.000;*.001;*.exe|"
    "分割ファイル (*.?00; *.?01; *.exe)|*.?00;*.?01;*.exe|"
    "圧縮ファイル (*.lzh; *.zip; *.cab; *.rar)|*.lzh;*.zip;*.cab;*.rar|"
    "テキストファイル (*.txt; *.log)|*.txt;*.log|";
inline constexpr const char* kAllFilesFilter = "すべてのファイル (*.*)|*.*|";
inline constexpr const char* kTypedPieceFilter = "分割ファイル (*.d01)|*.d01|";
inline constexpr const char* kType0From001Filter = "分割ファイル (*.001)|*.001|";
inline constexpr const char* kType0From000Filter = "分割ファイル (*.000)|*.000|";
// The recovery commands of the tools menu: the series to protect or repair,
// and how many of its pieces the recovery data rebuilds.
inline constexpr const char* kProtectOpenTitle = "修復データを作成する最初の分割ファイルを指定";
inline constexpr const char* kRepairOpenTitle = "修復する分割ファイルまたは修復データを指定";
inline constexpr const char* kFirstPieceFilters =
    "分割ファイル (*.d01; *.000; *.001; *.exe)|*.d01;*.000;*.001;*.exe|"
    "分割ファイル (*.?00; *.?01; *.exe)|*.?00;*.?01;*.exe|"
    "すべてのファイル (*.*)|*.*|";
inline constexpr const char* kRepairFilters =
    "分割ファイル・修復データ (*.d01; *.000; *.001; *.exe; *.par2)|*.d01;*.000;*.001;*.exe;*.par2|"
    "修復データ (*.par2)|*.par2|"
    "すべてのファイル (*.*)|*.*|";
inline constexpr const char* kProtectTitle = "修復データの作成";
inline constexpr const char* kRecoveryCountLabel = "失っても作り直せるファイルの数(&N)";
inline constexpr const char* kPiecesUnit = "個";
inline constexpr const char* kManyFilesQuestion =
    "　Kolvantoでは、複数のファイルを同時に扱うことはできません。\r\n"
    "ドロップされたファイルの数だけKolvantoを起動しますか？";

// Capacity-shortage dialog.
inline constexpr const char* kShortageTitle = "Kolvanto 容量不足";
inline constexpr const char* kShortageText = "書き込み先の容量が不足しています";
inline constexpr const char* kRetryButton = "再試行(&R)";
inline constexpr const char* kExplorerButton = "ｴｸｽﾌﾟﾛｰﾗ(&E)";
inline constexpr const char* kFormatButton = "ﾌｫｰﾏｯﾄ(&F)...";
inline constexpr const char* kPlainCancelButton = "キャンセル";
// When the desktop cannot start what a button asks for: what to install.
inline constexpr const char* kNoFileManager =
    "ファイルマネージャを起動できませんでした。xdg-utils とファイルマネージャ（Nautilus など）を"
    "インストールしてください。";
inline constexpr const char* kNoDiskUtility =
    "ディスクユーティリティを起動できませんでした。gnome-disk-utility をインストールしてください。";

// About box.
inline constexpr const char* kAboutTitle = "バージョン情報 Kolvanto";
inline constexpr const char* kAboutVersion = "Kolvanto Version %s.%s ファイル分割";
inline constexpr const char* kAboutFurtherLine = "Copyright (C) Orvik Software";

}  // namespace kv::window_texts
