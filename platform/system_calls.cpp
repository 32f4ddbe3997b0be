#include "platform/system_calls.h"

#include <atomic>
#include <cerrno>

namespace kv {

int NotRegularError(FileKind kind) {
  switch (kind) {
    case FileKind::kFolder:
      return EISDIR;
    case FileKind::kStream:
      return ESPIPE;
    default:
      return ENOTSUP;
  }
}

namespace {

SystemCalls& SystemsOwn() {
  static SystemCalls calls;
  return calls;
}

std::atomic<SystemCalls*> active{nullptr};

}  // namespace

SystemCalls& ActiveSystemCalls() {
  SystemCalls* const calls = active.load();
  return calls != nullptr ? *calls : SystemsOwn();
}

ScopedSystemCalls::ScopedSystemCalls(SystemCalls& calls) : previous_(active.exchange(&calls)) {}

ScopedSystemCalls::~ScopedSystemCalls() {
  active.store(previous_);
}

}  // namespace kv
