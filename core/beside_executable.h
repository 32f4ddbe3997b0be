#pragma once
// Files that ship with the program ("Kolvanto.dat", "Kolvanto.ini"): looked
// for in the executable's folder, then in ../share/kolvanto/ relative to it.

#include <filesystem>
#include <string>
#include <vector>

namespace kv {

// The executable's own folder, then ../share/kolvanto/ relative to it, in that order.
std::vector<std::filesystem::path> BesideExecutableFolders(
    const std::filesystem::path& executableFolder);

// The full name of `fileName` in the first of the two folders that holds it;
// the name in the executable's folder when neither does.
std::string FindBesideExecutable(const std::string& executableFolder, const std::string& fileName);

}  // namespace kv
