#pragma once
// The filter lists of the two file dialogs: which list the destination dialog
// offers, and the same lists in the form a Qt file dialog reads.

#include <QString>
#include <string>

#include "core/divide_settings.h"

namespace kv {

// The destination dialog's list: any file when restoring, the first piece of the divide type
// otherwise.
const char* DestinationFilters(bool dividing, const DivideSettings& settings);

// "description|pattern|..." as Qt name filters joined by ";;". Each description
// keeps its words, with its bracketed patterns written the way Qt matches
// them: blanks between patterns, and "*.*" as "*" (any name, with or without a dot).
QString QtNameFilters(const std::string& pairs);

}  // namespace kv
