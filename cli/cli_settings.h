#pragma once
// Where the command line takes its settings from. The one place to change
// when the user's stored settings are read: every command starts from this
// record and its options override it for one run.

#include "core/divide_settings.h"

namespace kv {

DivideSettings LoadCliSettings();

}  // namespace kv
