#pragma once
// The values the divide type sheet edits, as its pages hold them, and the
// texts shown for them.

#include <QString>
#include <utility>

#include "core/divide_settings.h"

namespace kv {

struct DivideTypeValues {
  int splitType = 3;  // -1 when no type is checked
  int splitKind = 0;  // Type0Type
  int stringTiming = 1;
  int sizeTiming = 0;
  QString splitString;
  int extStart = 1;
  bool addChar = false;
  QString extChar;  // at most one character
};

// The values of `settings` as the sheet shows them. A stored line feed as
// the extension character counts as none and is cleared in `settings`.
DivideTypeValues LoadDivideTypeValues(DivideSettings& settings);

// Writes the values into `settings` (the extension character's first byte, or 0).
void StoreDivideTypeValues(const DivideTypeValues& values, DivideSettings& settings);

// True when a Type0 series would need an added character that is missing.
bool MissingExtensionChar(const DivideTypeValues& values);

// The description of a split type, or the unknown-type text outside 0-3.
QString DivideTypeDescription(int splitType);

// The captions of the two extension-start radios.
std::pair<QString, QString> ExtensionCaptions(bool addChar, const QString& extChar);

}  // namespace kv
