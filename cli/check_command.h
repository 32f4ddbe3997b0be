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

// Prints one line per file on standard output; 0 when every verdict is "○", else 1.
int RunCheckCommand(const CheckCommandOptions& options);

}  // namespace kv
