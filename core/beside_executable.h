#pragma once
// Files that ship with the program ("Kolvanto.dat", "Kolvanto.ini"): looked
// for in the executable's folder, then in ../share/kolvanto/ relative to it.

#include <string>

namespace kv {

// The full name of `fileName` in the first of the two folders that holds it;
// the name in the executable's folder when neither does.
std::string FindBesideExecutable(const std::string& executableFolder, const std::string& fileName);

}  // namespace kv
