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
  QString label;
  if (bar >= 0 && size.size() + 3 < line.size()) {
    label = line.mid(size.size() + 3);
  }
  return {ToStd(size), ToStd(label)};
}

}  // namespace kv
