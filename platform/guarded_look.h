#pragma once
// Looks at the bytes of a file's mapping without letting a page the file no
// longer has (it shrank under the job) or cannot read (a failing medium) end
// the program: the SIGBUS such a page raises ends the look instead.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/file_handle.h"

namespace kv {

// Runs `look` over [data, data + size), a range of a file mapping; false when
// a page of it could not be read, after `look` saw part of the bytes. A fault
// leaves `look` where it stands (a long jump), so it must hold nothing that
// needs freeing: folding a checksum is fine, growing a container is not.
bool LookUnderGuard(const std::byte* data, std::size_t size,
                    const std::function<void(const std::byte*, std::size_t)>& look);

// How a look at a file's bytes through a mapping ended.
enum class MappedLook {
  kWhole,    // `look` saw every byte
  kFault,    // a page could not be read, after `look` saw part of the bytes
  kRefused,  // the system would not map the file; `look` saw nothing
};

// Maps `length` bytes of the open `file` from `position` for reading, has
// `look` see them under the guard above, and unmaps them.
MappedLook LookAtMapping(FileHandle file, std::int64_t position, std::size_t length,
                         const std::function<void(const std::byte*, std::size_t)>& look);

}  // namespace kv
