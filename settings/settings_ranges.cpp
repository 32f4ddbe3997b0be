#include "settings/settings_ranges.h"

#include <QSettings>
#include <QVariant>
#include <string_view>

#include "core/ascii_text.h"
#include "core/piece_format.h"
#include "core/text_fill.h"
#include "settings/settings_texts.h"

namespace kv {
namespace {

// True when a value is stored under `key` that reads as no number.
bool StoredButNoNumber(const QSettings* stored, const char* key) {
  if (stored == nullptr) {
    return false;
  }
  const QVariant value = stored->value(QLatin1String(key));
  bool ok = true;
  if (value.isValid()) {
    value.toInt(&ok);
  }
  return !ok;
}

// A size text a job can start from: the fit-to-free-space text, or a count
// (grouping commas allowed) from the smallest piece of the type up to the
// largest divide size, with no sign before it.
bool UsableDivideSize(std::string_view text, int divideType) {
  if (IsFitToFreeSpace(text)) {
    return true;
  }
  std::size_t at = text.find_first_not_of(' ');
  if (at == std::string_view::npos) {
    return false;
  }
  const std::size_t digitsFrom = at;
  const std::int64_t count = ReadSaturatedDecimal(text, at, kLargestDivideSize + 1, true);
  // Below the smallest piece of the type every job is refused.
  const PieceFormat& format = PieceFormatOf(divideType);
  return at != digitsFrom && count >= format.smallestDivideSize &&
         count <= format.largestDivideSize;
}

}  // namespace

std::vector<SettingFallBack> FallBackUnusableValues(DivideSettings& settings,
                                                    const QSettings* stored) {
  const DivideSettings defaults = DivideSettings::StoredDefaults();
  std::vector<SettingFallBack> fallBacks;
  if (StoredButNoNumber(stored, "Settings/DivideType") || !IsDivideType(settings.DivideType)) {
    settings.DivideType = defaults.DivideType;
    fallBacks.push_back({"DivideType", std::to_string(settings.DivideType)});
  }
  // Checked against the type in force, now that the type is one a job can have.
  if (!UsableDivideSize(settings.DivideSize, settings.DivideType)) {
    settings.DivideSize = defaults.DivideSize;
    fallBacks.push_back({"DivideSize", settings.DivideSize});
  }
  for (auto [key, field] : {std::pair{"HeadCutFirst", &DivideSettings::HeadCutFirst},
                            std::pair{"HeadCutNext", &DivideSettings::HeadCutNext}}) {
    const std::string storedKey = std::string("Settings/") + key;
    if (StoredButNoNumber(stored, storedKey.c_str()) || settings.*field < 0) {
      settings.*field = 0;
      fallBacks.push_back({key, "0"});
    }
  }
  return fallBacks;
}

void ReportFallBacks(const std::vector<SettingFallBack>& fallBacks, Prompter& prompter) {
  if (fallBacks.empty()) {
    return;
  }
  std::string text;
  for (const SettingFallBack& fallBack : fallBacks) {
    text += (text.empty() ? "" : "\n") +
            FormatText(kUnusableValueText, fallBack.key.c_str(), fallBack.used.c_str());
  }
  prompter.Ask(MakeMessage(text, Buttons::kOk, Icon::kWarning));
}

}  // namespace kv
