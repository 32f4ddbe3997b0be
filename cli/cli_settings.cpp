#include "cli/cli_settings.h"

namespace kv {

DivideSettings LoadCliSettings() {
  return DivideSettings::StoredDefaults();
}

}  // namespace kv
