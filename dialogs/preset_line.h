#pragma once
// A divide-size preset as one line of the preset list: the size text, then
// " | " and the label when there is one.

#include <QString>

#include "core/divide_settings.h"

namespace kv {

QString PresetLine(const SizePreset& preset);

// The size text is the part before the first "|" without trailing blanks;
// the label is the rest behind "| " (or "|"), empty without "|".
SizePreset SplitPresetLine(const QString& line);

}  // namespace kv
