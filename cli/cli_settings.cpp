#include "cli/cli_settings.h"

#include "platform/volumes.h"
#include "settings/settings_store.h"

namespace kv {

DivideSettings LoadCliSettings(bool useStore, Prompter& prompter, Volumes& volumes) {
  DivideSettings settings = DivideSettings::StoredDefaults();
  if (useStore) {
    // No folders for a settings file: importing it would delete it.
    SettingsStore().LoadSettings(settings, prompter, {});
  }
  if (settings.FDAuto) {
    settings.RemovableDrive = volumes.DetectRemovableMounts();
  }
  return settings;
}

}  // namespace kv
