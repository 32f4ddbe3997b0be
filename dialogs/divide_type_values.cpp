#include "dialogs/divide_type_values.h"

#include "dialogs/dialog_helpers.h"

namespace kv {

DivideTypeValues LoadDivideTypeValues(DivideSettings& settings) {
  if (settings.DivideExtChar == '\n') {
    settings.DivideExtChar = 0;
  }
  DivideTypeValues values;
  values.splitType = settings.DivideType;
  values.splitKind = settings.Type0Type;
  values.stringTiming = settings.TimingString;
  values.sizeTiming = settings.TimingSize;
  values.splitString = ToQ(settings.DivideString);
  values.extStart = settings.DivideExt;
  values.addChar = settings.DivideExtAddC;
  if (settings.DivideExtChar != 0) {
    values.extChar = QString::fromLatin1(&settings.DivideExtChar, 1);
  }
  return values;
}

void StoreDivideTypeValues(const DivideTypeValues& values, DivideSettings& settings) {
  settings.DivideType = values.splitType;
  settings.Type0Type = values.splitKind;
  settings.TimingString = values.stringTiming;
  settings.TimingSize = values.sizeTiming;
  settings.DivideString = ToStd(values.splitString);
  settings.DivideExt = values.extStart;
  settings.DivideExtAddC = values.addChar;
  const std::string ext = ToStd(values.extChar);
  settings.DivideExtChar = ext.empty() ? 0 : ext.front();
}

bool MissingExtensionChar(const DivideTypeValues& values) {
  return values.extChar.isEmpty() && values.addChar && values.splitType == 0;
}

QString DivideTypeDescription(int splitType) {
  switch (splitType) {
    case 0:
      return QStringLiteral(
          "　他のファイル分結ソフトで結合ができるように分割するときに指定してください。このタイプ"
          "では、分割元ファイル名の記憶や、復元時のチェックは行われません。対応できるファイル分結"
          "ソフトについては、ヘルプをご覧ください。");
    case 1:
      return QStringLiteral(
          "　ver.1.xで復元ができるように分割するときだけ指定してください。このタイプでも、分割元"
          "ファイル名を記憶することはできますが、ロングファイルネームには対応しません。また、復元"
          "時のチェックは行われません。");
    case 2:
      return QStringLiteral(
          "　ver.2.xで復元ができるようにするときに指定してください。このタイプでは、分割元ファイ"
          "ル名を記憶しておく事ができ、また、復元時に分割ファイルが同一のファイルから分割されたも"
          "のかをチェックします。");
    case 3:
      return QStringLiteral(
          "　通常はこれを指定してください。分割元ファイル名の記憶、誤結合防止、ファイルの正当性チ"
          "ェックなどすべての機能が利用可能な分割タイプです。");
    default:
      return QStringLiteral("分割タイプが不明です。");
  }
}

std::pair<QString, QString> ExtensionCaptions(bool addChar, const QString& extChar) {
  if (!addChar) {
    return {QStringLiteral("*.000～"), QStringLiteral("*.001～")};
  }
  const QString c = extChar.isEmpty() ? QStringLiteral("?") : extChar.left(1);
  return {QStringLiteral("*.") + c + QStringLiteral("00～"),
          QStringLiteral("*.") + c + QStringLiteral("01～")};
}

}  // namespace kv
