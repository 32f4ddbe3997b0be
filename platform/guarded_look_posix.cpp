#include <sys/mman.h>
#include <unistd.h>

#include <csetjmp>
#include <csignal>
#include <mutex>

#include "platform/guarded_look.h"

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

MappedLook LookAtMapping(FileHandle file, std::int64_t position, std::size_t length,
                         const std::function<void(const std::byte*, std::size_t)>& look) {
  // A mapping starts on a page.
  static const auto kPage = static_cast<std::int64_t>(::sysconf(_SC_PAGESIZE));
  const std::int64_t start = position / kPage * kPage;
  const auto lead = static_cast<std::size_t>(position - start);
  const std::size_t span = lead + length;
  void* const mapped =
      ::mmap(nullptr, span, PROT_READ, MAP_SHARED, file.Native(), static_cast<off_t>(start));
  if (mapped == MAP_FAILED) {
    return MappedLook::kRefused;
  }
  // The pages are read ahead as a read would have them.
  ::madvise(mapped, span, MADV_SEQUENTIAL);
  const bool whole = LookUnderGuard(static_cast<const std::byte*>(mapped) + lead, length, look);
  ::munmap(mapped, span);
  return whole ? MappedLook::kWhole : MappedLook::kFault;
}

}  // namespace kv
