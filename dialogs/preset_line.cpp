#include "dialogs/preset_line.h"

#include "dialogs/dialog_helpers.h"

namespace kv {

QString PresetLine(const SizePreset& preset) {
  QString line = ToQ(preset.sizeText);
  if (!preset.label.empty()) {
    line += QStringLiteral(" | ") + ToQ(preset.label);
  }
  return line;
}

SizePreset SplitPresetLine(const QString& line) {
  const qsizetype bar = line.indexOf(QLatin1Char('|'));
  QString size = bar < 0 ? line : line.left(bar);
  while (!size.isEmpty() && size.back() == QLatin1Char(' ')) {
    size.chop(1);
  }
  // The label follows the "|" and the one blank a list line puts behind it;
  // blanks typed at the end of a size text must not shift it.
  QString label = bar < 0 ? QString() : line.mid(bar + 1);
  if (label.startsWith(QLatin1Char(' '))) {
    label.remove(0, 1);
  }
  return {ToStd(size), ToStd(label)};
}

}  // namespace kv
