#pragma once
// Which files of a folder the validity check lists: the piece files first,
// then the executables, each group sorted by name.

#include <string>
#include <string_view>
#include <vector>

namespace kv {

// A name ending in "." followed by d or D and two or more ASCII digits
// (a.d01, a.D123 and .d01, but not a.d1, a.d, a.dd01 or a.doc).
bool IsPieceFileName(std::string_view name);

// A name ending in ".exe" (any case).
bool IsExecutableName(std::string_view name);

// The candidate names (without folder) of `folder`: first the piece-file
// names that are not folders, then every entry named like an executable,
// folders included. Each group is sorted by name. An empty or unreadable
// folder lists nothing; one trailing "/" on the folder is allowed.
std::vector<std::string> ListCandidateFiles(const std::string& folder);

}  // namespace kv
