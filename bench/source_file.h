#pragma once

#include <string>

namespace kv::bench {

// Writes `bytes` pseudo-random bytes to the new file `path` and leaves them
// in the page cache. False with a message when it cannot.
bool MakeSourceFile(const std::string& path, long long bytes);

// "ext4", "tmpfs", "btrfs", "xfs" or the file system's magic number.
std::string FileSystemName(const std::string& path);

// Prints the last part of a text file (the children's messages).
void PrintTail(const std::string& path);

}  // namespace kv::bench
