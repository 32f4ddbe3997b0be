#pragma once
// Examining and repairing the files a recovery set protects. A file is intact
// when its length and MD5 match its description; otherwise its slices are
// checked one by one, and the missing and damaged ones are solved for from as
// many recovery slices (Gauss-Jordan over GF(2^16)). A rebuilt file is written
// under a new name, created exclusively, and checked against its MD5 before it
// takes the file's place; a damaged file is kept as NAME.1 (NAME.2, ...).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/result.h"

namespace kv::par2 {

enum class FileCondition { kIntact, kMissing, kDamaged };

struct ExaminedFile {
  std::string name;
  FileCondition condition = FileCondition::kIntact;
  std::uint32_t badSlices = 0;
};

enum class RepairOutcome {
  kNothingToDo,
  kRepaired,
  kNotRepairable,  // too few recovery slices, or the set cannot be used
  kFailed,         // a file could not be read or written, or a rebuilt file did not match
};

struct RepairReport {
  RepairOutcome outcome = RepairOutcome::kNotRepairable;
  bool setFound = false;  // a sound main packet, and every file described
  std::vector<ExaminedFile> files;
  std::uint32_t badSlices = 0;
  std::uint32_t recoverySlices = 0;  // sound ones, distinct exponents
  std::vector<std::string> rebuilt;
  std::vector<std::string> keptAs;  // where each damaged file went
  // Of kFailed: what could not be read or written and why; no error when a
  // rebuilt file did not match the set.
  Failure failure;
};

// What a caller may say while a repair runs; either may be left empty.
struct RepairHooks {
  // Asked while the files are read: true ends the reading early.
  std::function<bool()> stopAsked;
  // Asked once the damage is found repairable, before anything is written:
  // false rebuilds nothing (the report then says what could be rebuilt).
  std::function<bool(const RepairReport&)> confirm;
};

// Examines the set NAME in `folder` and, with `rebuild`, repairs what it can.
RepairReport RepairSet(const std::string& folder, const std::string& setName, bool rebuild,
                       RepairHooks hooks = {});

}  // namespace kv::par2
