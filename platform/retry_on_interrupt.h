#pragma once
// A system call that a signal cut short before it did anything is made again:
// the caller sees only a result or a failure of its own.

#include <cerrno>

namespace kv {

// `call` returns as a POSIX call does (negative with errno set on failure);
// its result once that is not a failure with EINTR.
template <class Call>
auto RetryOnInterrupt(Call&& call) {
  for (;;) {
    const auto result = call();
    if (result >= 0 || errno != EINTR) {
      return result;
    }
  }
}

}  // namespace kv
