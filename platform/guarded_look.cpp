#include "platform/guarded_look.h"

#include <csetjmp>
#include <csignal>
#include <mutex>

namespace kv {

namespace {

// The look under way on this thread: the bytes it may touch and where a
// fault among them returns to.
struct Guard {
  const std::byte* begin = nullptr;
  const std::byte* end = nullptr;
  sigjmp_buf back;
};

thread_local Guard* activeGuard = nullptr;
struct sigaction previousAction {};

void OnBusError(int signal, siginfo_t* info, void* context) {
  Guard* const guard = activeGuard;
  const auto* const at = static_cast<const std::byte*>(info->si_addr);
  if (guard != nullptr && at >= guard->begin && at < guard->end) {
    siglongjmp(guard->back, 1);
  }
  // Not ours: whatever handled the signal before handles it.
  if ((previousAction.sa_flags & SA_SIGINFO) != 0 && previousAction.sa_sigaction != nullptr) {
    previousAction.sa_sigaction(signal, info, context);
    return;
  }
  sigaction(SIGBUS, &previousAction, nullptr);
  raise(SIGBUS);
}

void InstallHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &previousAction);
  });
}

}  // namespace

bool LookUnderGuard(const std::byte* data, std::size_t size,
                    const std::function<void(const std::byte*, std::size_t)>& look) {
  InstallHandler();
  Guard guard;
  guard.begin = data;
  guard.end = data + size;
  if (sigsetjmp(guard.back, 1) != 0) {
    activeGuard = nullptr;
    return false;
  }
  activeGuard = &guard;
  look(data, size);
  activeGuard = nullptr;
  return true;
}

}  // namespace kv
