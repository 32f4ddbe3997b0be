#pragma once
// The recent-files list of the File menu: the most recent source first, no
// file twice, at most eight entries, and the short names the menu shows.

#include <string>

#include "settings/settings_store.h"

namespace kv {

// Puts `name` at the front; an entry naming the same file moves instead of being repeated.
void AddRecent(RecentFileList& list, const std::string& name);

// The menu text of an entry: the bare file name when the file lies in
// `currentFolder`, otherwise the full name shortened to at most `limit`
// characters with the file name kept ("/home/…/photos/a.jpg").
std::string RecentDisplayName(const std::string& fullName, const std::string& currentFolder,
                              std::size_t limit = 30);

}  // namespace kv
