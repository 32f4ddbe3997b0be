#pragma once
// Stored values no job can use: a divide type no worker has, a divide size
// that would refuse every job (a restore too) before it is looked at, a
// negative head cut. Each falls back to its default, and the user is told.

#include <string>
#include <vector>

#include "core/divide_settings.h"
#include "core/prompter.h"

class QSettings;

namespace kv {

// One value put back to its default: the stored name and the value now used.
struct SettingFallBack {
  std::string key;
  std::string used;
  bool operator==(const SettingFallBack&) const = default;
};

// Checks the loaded record; with `stored`, a value stored there that is no
// number at all counts as unusable too (loading read its default silently).
std::vector<SettingFallBack> FallBackUnusableValues(DivideSettings& settings,
                                                    const QSettings* stored);

// One warning naming every value put back; nothing when there is none.
void ReportFallBacks(const std::vector<SettingFallBack>& fallBacks, Prompter& prompter);

}  // namespace kv
