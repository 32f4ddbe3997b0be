#ifndef KV_RESTORER_TEXTS_H
#define KV_RESTORER_TEXTS_H
/* What the restorer says: the restore's own texts where they apply. */

#define T_CANNOT_OPEN "ファイルを開けません"
#define T_NOT_A_PIECE "分割ファイルでないか、ファイルが壊れています。"
#define T_BROKEN_SERIES "分割ファイルが壊れています"
#define T_COMPRESSED "本バージョンでは圧縮されたファイルは復元できません。"
#define T_ENCRYPTED "本バージョンでは暗号化されたファイルは復元できません。"
#define T_NEWER_VERSION "このファイルの復元には、ver.%s以降が必要です。"
#define T_CUT_SHORT "ファイルの終端が欠けています。\n[%s]"
#define T_BAD_LAST "ファイルの内容が正しくありません。\n[%s]"
#define T_BAD_FORCE "ファイルの内容が正しくありません。強行しますか？\n[%s]"
#define T_BROKEN_PIECE "ファイルが壊れています。\n[%s]"
#define T_NOT_FOUND "ファイルが見つかりません\n%s"
#define T_CANNOT_OPEN_PIECE "ファイルを開けません\n%s"
#define T_ABNORMAL "分割ファイルが異常です。\n[%s]"
#define T_OTHER_SERIES "「%s」は、\n現在復元中のファイルとは異なります。強行しますか？"
#define T_OVERWRITE "%s は\nすでに存在しますが、上書きしてもよろしいですか"
#define T_CANNOT_OVERWRITE "このファイルに上書きする事はできません"
#define T_CANNOT_CREATE "ファイルを作成できません"
#define T_CHANGED_SINCE_ASKED "%s は\n上書きの確認の後に変わったため、上書きしません"
#define T_KEPT_BESIDE "元のファイルはそのままです。復元したデータは次の名前で残っています： %s"
#define T_SAME_AS_SOURCE "元のファイルと作成ファイルが同一です。作成ファイル名を変更してください"
#define T_IO_ERROR                                                                                            \
  "ファイル入出力エラーが発生しました。繰り返し発生する場合は、ディスクの" \
  "エラーチェックをしてください。"
#define T_RESTORING "  復元中です"
#define T_DONE "復元が終了しました"
#define T_DONE_WITH_ERROR "復元は終了しましたが、エラーが発生しました。"
#define T_CANCELLED "復元を中止しました"
/* Filled with the recovery index's file name. */
#define T_RECOVERY_TOOLS \
  "修復データがあります。「par2 repair %s」または MultiPar でファイルを作り直せます。"

#define T_FILE_NAME "ファイル名： %s"
#define T_FILE_SIZE "サイズ： %sBytes"
#define T_ASK_FOLDER "復元先のフォルダ（Enterで %s）： "
#define T_NO_FOLDER "フォルダがありません： %s"
#define T_ASK_PIECE_FOLDER "次のファイルのあるフォルダ（Enterで中止）： "
#define T_YES_NO " (y/n)： "

/* Verdicts of --test, as the validity check shows them. */
#define V_OK "○"
#define V_BAD "▲"
#define V_FAILED "×"
#define R_CRC "CRCエラー"
#define R_BROKEN "ファイルが壊れています"
#define R_CANNOT_OPEN "ファイルが開けません"
#define R_OTHER_SERIES "現在復元中のファイルとは異なります"
#define R_UNSUPPORTED "未対応"
#define R_IO_ERROR "I/Oエラー"

#endif
