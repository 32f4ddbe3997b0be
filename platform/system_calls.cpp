#include "platform/system_calls.h"

#include <atomic>
#include <cerrno>

#include "platform/retry_on_interrupt.h"

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

Result<RegularFile> OpenRegularFile(const std::string& path, bool forWriting) {
  SystemCalls& calls = ActiveSystemCalls();
  RegularFile opened;
  opened.handle = RetryOnInterrupt([&] { return calls.Open(path.c_str(), forWriting, true); });
  if (!opened.handle.Valid()) {
    return LastFailure(path);
  }
  const bool known = calls.Stat(opened.handle, opened.facts) == 0;
  if (known && opened.facts.kind != FileKind::kRegular) {
    errno = NotRegularError(opened.facts.kind);
  }
  if (!known || opened.facts.kind != FileKind::kRegular || calls.MakeBlocking(opened.handle) != 0) {
    Failure failure = LastFailure(path);  // the reason, not the close's
    calls.Close(opened.handle);
    return failure;
  }
  return opened;
}

}  // namespace kv
