#pragma once
// The two limits a job is measured against, done in this process: reading
// the bytes once and moving them file to file inside the kernel.

#include <string>
#include <vector>

namespace kv::bench {

// Reads every file through in large reads and drops the bytes. False with a
// message on standard error when a file cannot be read.
bool ReadOnlyPass(const std::vector<std::string>& paths);

// Copies `source` to the new file `dest` with copy_file_range alone (no
// fallback: the limit is what the kernel does).
bool KernelCopy(const std::string& source, const std::string& dest);

// The regular files of `folder`, in series order: shorter names first, then by name.
std::vector<std::string> FilesIn(const std::string& folder);

}  // namespace kv::bench

namespace kv::bench {

// Whether the two files hold the same bytes.
bool SameBytes(const std::string& a, const std::string& b);

}  // namespace kv::bench
