#pragma once
// What `kolvanto-cli --version` prints: the program and its version, the stub
// data file it would use with its status, and the self-restore kinds it offers.

#include <string>

namespace kv {

// `stubDataFile` is the file's path; the text ends without a newline.
std::string CliVersionText(const std::string& stubDataFile);

}  // namespace kv
