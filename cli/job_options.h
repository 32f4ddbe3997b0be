#pragma once
// The options of kolvanto-cli's job commands (info, divide, restore), their
// declaration to CLI11 and how they change the settings of one run.

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>

#include "core/divide_settings.h"

namespace kv {

struct Options {
  std::string file;
  std::string output;
  std::optional<int> divideType;
  std::string size;
  std::optional<int> selfRestoreKind;
  std::string type0;
  std::optional<std::string> divideString;
  std::string cut;
  std::optional<int> extStart;
  std::string extChar;
  std::string headCut;
  std::optional<std::string> restoreExt;
  std::string stubData;
  bool yes = false;
  bool overwrite = false;
  bool resume = false;  // divide: go on from the pieces an earlier run left
  bool force = false;
  bool progress = false;
  bool defaults = false;
  std::uint32_t recovery = 0;  // divide: pieces the recovery data can rebuild
};

// Usage errors found after CLI11 has parsed: the text, then exit status 2.
struct UsageError {
  std::string text;
};

enum class Command { kInfo, kDivide, kRestore };

// The three job commands, declared on `app` with their options bound to `o`.
struct JobCommands {
  CLI::App* info;
  CLI::App* divide;
  CLI::App* restore;
  // The command parsed (call after a successful parse of one of the three).
  Command Parsed() const;
};
JobCommands AddJobCommands(CLI::App& app, Options& o);

// An absolute name for a name given relative to the working folder.
std::string Absolute(const std::string& name);
// The size text of a --size option: a byte count (commas allowed), a count
// with K, M or G, or "fit"; UsageError when it is none of these.
std::string SizeText(const std::string& option);
void ApplyDivideOptions(const Options& o, DivideSettings& s);
void ApplyRestoreOptions(const Options& o, DivideSettings& s);

}  // namespace kv
