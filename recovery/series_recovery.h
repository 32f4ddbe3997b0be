#pragma once
// The recovery set of a series as both front ends reach it: found from a
// first piece or one of its recovery files, examined or repaired, and the
// pieces that need rebuilding named. Errors stay values (path and errno in
// the report).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "recovery/repair.h"

namespace kv::par2 {

// The folder ("" or ending in "/") and NAME of a series' recovery set.
struct SetPlace {
  std::string folder;
  std::string setName;
};

// Nothing when `path` names neither a piece nor a recovery file.
std::optional<SetPlace> SetPlaceOf(const std::string& path);

// Examines the set and, with `rebuild`, repairs what it can.
RepairReport RepairSeries(const SetPlace& place, bool rebuild, RepairHooks hooks = {});

// The files the report found missing or damaged, in the set's order.
std::vector<std::string> UnsoundFiles(const RepairReport& report);

// True when the set was found, something is wrong and the recovery data
// rebuilds it.
bool Repairable(const RepairReport& report);

// Recovery blocks still lacking for a set that is not repairable; 0 when the
// count suffices (the blocks then do not solve this damage).
std::uint32_t BlocksLacking(const RepairReport& report);

}  // namespace kv::par2
