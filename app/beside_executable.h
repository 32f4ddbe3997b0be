#pragma once
// Where the files that ship beside the program ("Kolvanto.ini", "Kolvanto.dat") are looked for.

#include <filesystem>
#include <vector>

namespace kv {

// The executable's own folder, then ../share/kolvanto/ relative to it, in that order.
std::vector<std::filesystem::path> BesideExecutableFolders(
    const std::filesystem::path& executableFolder);

}  // namespace kv
