#pragma once
// Where the command line takes its settings from: the user's stored settings,
// read only (the command line never writes the store nor imports the settings
// file), or the stored defaults alone with --defaults. Options then override
// the record for one run.

#include "core/divide_settings.h"

namespace kv {

class Prompter;
class Volumes;

// With `useStore` the stored values are read (a store written by a newer
// version is reported through `prompter`). With FDAuto set, the removable
// mounts are detected now, as the desktop program does at startup.
DivideSettings LoadCliSettings(bool useStore, Prompter& prompter, Volumes& volumes);

}  // namespace kv
