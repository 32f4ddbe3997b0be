#include "app/dialog_font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>

namespace kv {

namespace {

constexpr int kDialogPointSize = 9;

bool HasJapaneseGlyphs(const QFont& font) {
  const QFontMetrics metrics(font);
  // "分割" and a half-width katakana, as every window of the program shows them.
  return metrics.inFontUcs4(0x5206) && metrics.inFontUcs4(0x5272) && metrics.inFontUcs4(0xFF74);
}

}  // namespace

QFont JapaneseDialogFont() {
  QFont font = QApplication::font();
  font.setPointSize(kDialogPointSize);
  if (HasJapaneseGlyphs(font)) {
    return font;
  }
  const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
  for (const QString& preferred :
       {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")}) {
    if (families.contains(preferred)) {
      return QFont(preferred, kDialogPointSize);
    }
  }
  return families.isEmpty() ? font : QFont(families.front(), kDialogPointSize);
}

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average width of the 52 Latin letters, rounded, as dialog templates measure it.
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseWidth_ = (letters / 26 + 1) / 2;
  baseHeight_ = metrics.height();
}

}  // namespace kv
