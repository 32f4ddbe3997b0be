#pragma once
// "kolvanto-cli check": the validity check of piece files from a shell.

#include <string>
#include <vector>

namespace kv {

struct CheckCommandOptions {
  std::vector<std::string> paths;  // folders (their candidate files) or files
  std::string sort;                // "", "name", "verdict" or "remark"
  bool reverse = false;
};

// Prints one line per file, then one per series, on standard output, and each
// path it cannot read or list on standard error; 0 when every verdict is "○",
// every series complete and every path readable, else 1.
int RunCheckCommand(const CheckCommandOptions& options);

}  // namespace kv
