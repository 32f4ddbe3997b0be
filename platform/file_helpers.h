#pragma once
// File facts the jobs need beyond reading and writing: the 8.3 short name,
// file identity, size and modification time, and the executable's folder.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/result.h"

namespace kv {

// The 8.3 short name of the last component of `path`: a name that already
// fits 8.3 is kept as it is; any other is made by the short-name rules
// (upper case, other characters "_", base of at most 6 plus "~1", extension of at most 3).
std::string ShortName83(const std::string& path);

// Sets the file's modification time to the given UTC calendar time, keeping
// its access time. The failure (EINVAL for a time that is not a calendar
// time), the file left alone, when it cannot be set.
Status SetModifiedTimeUtc(const std::string& path, int year, int month, int day, int hour,
                          int minute, int second);
// The modification time in seconds since the epoch; nothing when the file is missing.
std::optional<std::int64_t> ModifiedTimeUtc(const std::string& path);

// True when both names lead to the same file (device and inode, links resolved);
// false when either is missing.
bool SameFile(const std::string& a, const std::string& b);
// True when something that is not a folder exists under the name (links followed).
bool FileExists(const std::string& path);
// True when a regular file exists under the name (links followed): not a
// folder, pipe, socket or device, so opening it cannot block.
bool IsRegularFile(const std::string& path);
// The file's size in bytes; -1 when it is missing.
std::int64_t FileSize(const std::string& path);
// Success when the file may be opened for reading; else why not.
Status IsReadable(const std::string& path);
// Has the system put the entries of `folder` on its medium.
Status SyncFolder(const std::string& folder);

// The names of the entries of `folder` (a path ending in "/"), in no
// particular order; empty when it cannot be listed.
std::vector<std::string> NamesInFolder(const std::string& folder);

// The folder of the running executable; empty when it cannot be told.
std::string ExecutableFolder();

}  // namespace kv
