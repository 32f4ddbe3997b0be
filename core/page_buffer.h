#pragma once
// Buffers that begin on a page boundary. The kernel copies into and out of
// the page cache several times slower when the user's bytes sit a few bytes
// off a cache line (as the 16-byte alignment of plain new leaves them), so
// every buffer a file is read into or written from is one of these.

#include <cstddef>
#include <memory>
#include <new>

namespace kv {

inline constexpr std::size_t kPageSize = 4096;

struct PageBufferDelete {
  void operator()(std::byte* bytes) const {
    ::operator delete[](bytes, std::align_val_t{kPageSize});
  }
};

using PageBuffer = std::unique_ptr<std::byte[], PageBufferDelete>;

// `size` bytes, uninitialised, starting on a page boundary.
inline PageBuffer NewPageBuffer(std::size_t size) {
  return PageBuffer(static_cast<std::byte*>(::operator new[](size, std::align_val_t{kPageSize})));
}

}  // namespace kv
