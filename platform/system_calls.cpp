#include "platform/system_calls.h"

#include <atomic>

namespace kv {

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
