#pragma once
// A system call that a signal cut short before it did anything is made again:
// the caller sees only a result or a failure of its own.

#include <cerrno>
#include <cstdint>

#include "platform/file_handle.h"

namespace kv {

// A call's result that says it failed: a negative count, or no file opened.
inline bool CallFailed(std::int64_t result) {
  return result < 0;
}
inline bool CallFailed(const FileHandle& opened) {
  return !opened.Valid();
}

// `call` returns as a POSIX call does (a failure with errno set); its result
// once that is not a failure with EINTR.
template <class Call>
auto RetryOnInterrupt(Call&& call) {
  for (;;) {
    const auto result = call();
    if (!CallFailed(result) || errno != EINTR) {
      return result;
    }
  }
}

}  // namespace kv
