#include "settings/settings_table.h"

#include <QLatin1Char>
#include <array>

#include "settings/settings_store.h"

namespace kv::settings_table {
namespace {

using D = DivideSettings;

// The order is the order of loading; saving follows it too (the store keeps
// values by name, so the order of writing leaves no trace).
const SettingDescriptor kPlainSettings[] = {
    {"Settings/DivideType", &D::DivideType},
    {"Settings/DivideSize", &D::DivideSize},
    {"Settings/RemovableDrive", &D::RemovableDrive},
    {"Type0/Type", &D::Type0Type},
    {"Settings/EndMessage", &D::EndMessage},
    {"Settings/DefaultDV", &D::DefaultDV},
    {"Settings/DefaultRS", &D::DefaultRS},
    {"Type0/DivideExt", &D::DivideExt},
    {"Type0/TimingString", &D::TimingString},
    {"Type0/TimingSize", &D::TimingSize, OnLoad::kSetDefault},
    {"Type0/DivideString", &D::DivideString},
    {"Type0/RsDefaultExt", &D::RsDefaultExt},
    {"Type0/DivideExtAddC", &D::DivideExtAddC},
    {"Type0/DivideExtChar", &D::DivideExtChar},
    {"Settings/HeadCut", &D::HeadCut},
    {"Settings/HeadCutFirst", &D::HeadCutFirst},
    {"Settings/HeadCutNext", &D::HeadCutNext},
    {"KvRestore/Type", &D::RestoreNo},
    {"KvRestore/ShortFileName", &D::ShortFileName},
    {"Settings/FDAuto", &D::FDAuto},
    {"Settings/Recovery", &D::Recovery},
    {"Settings/RecoveryPieces", &D::RecoveryPieces},
    // The check box state is asked for only once the stub data file has loaded.
    {kSelfRestoreKey, &D::SelfRestore, OnLoad::kSkip},
};

const std::array<DefaultPathKeys, 2> kDefaultPathRuns{{
    {&DefaultPathLists::Divide, {"DefaultPath/Divide-%1", 1, kDefaultPathEntries, 0}},
    {&DefaultPathLists::Restore, {"DefaultPath/Restore-%1", 1, kDefaultPathEntries, 0}},
}};

const NumberedKeys kPresetKeys{"Settings/DivideSize%1", 0, kMaxStoredPresets, 2};
const NumberedKeys kRecentFileKeys{"Recent File List/File%1", 1, kRecentFileCount, 0};

}  // namespace

QString NumberedKeys::Key(std::size_t index) const {
  return QString::fromLatin1(pattern).arg(static_cast<qulonglong>(first + index), digits, 10,
                                          QLatin1Char('0'));
}

std::span<const SettingDescriptor> PlainSettings() {
  return kPlainSettings;
}

std::span<const DefaultPathKeys> DefaultPathRuns() {
  return kDefaultPathRuns;
}

const NumberedKeys& PresetKeys() {
  return kPresetKeys;
}

const NumberedKeys& RecentFileKeys() {
  return kRecentFileKeys;
}

}  // namespace kv::settings_table
