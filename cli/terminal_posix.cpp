#include "cli/terminal.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "core/job_state.h"

namespace kv {

namespace {

// The handler touches nothing but these lock-free atomics, so it is safe
// whatever the interrupted thread was doing.
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<std::atomic<int>*>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

std::atomic<std::atomic<int>*> gRunState{nullptr};
std::atomic<bool> gInterrupted{false};
// The handlers a guard replaced; one guard is in place at a time.
struct sigaction gPreviousInt {};
struct sigaction gPreviousTerm {};
struct sigaction gPreviousHup {};

extern "C" void OnInterrupt(int signal) {
  std::atomic<int>* runState = gRunState.load();
  if (!gInterrupted.exchange(true) && runState != nullptr) {
    // Only a running job is asked to stop; one that has just ended is reported as it ended.
    int running = kRunRunning;
    runState->compare_exchange_strong(running, kRunCancelRequested);
    return;
  }
  // The signal's own effect: the default action, taken when the handler returns.
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  ::sigaction(signal, &standard, nullptr);
  ::raise(signal);
}

}  // namespace

bool StandardInputIsTerminal() {
  return ::isatty(STDIN_FILENO) == 1;
}

bool StandardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

bool InputArrives(int milliseconds) {
  pollfd input{.fd = STDIN_FILENO, .events = POLLIN, .revents = 0};
  const int ready = ::poll(&input, 1, milliseconds);
  return ready > 0 || (ready < 0 && errno != EINTR);
}

int StandardOutputDescriptor() {
  return STDOUT_FILENO;
}

int StandardInputDescriptor() {
  return STDIN_FILENO;
}

void LetClosedPipeFailWrites() {
  std::signal(SIGPIPE, SIG_IGN);
}

bool InterruptRequested() {
  return gInterrupted.load();
}

InterruptGuard::InterruptGuard(std::atomic<int>& runState) {
  gInterrupted.store(false);
  gRunState.store(&runState);
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // A question waiting for its answer sees the flag within its polling interval.
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, &gPreviousInt);
  ::sigaction(SIGTERM, &action, &gPreviousTerm);
  // A closed terminal stops the job as cleanly as a kill does.
  ::sigaction(SIGHUP, &action, &gPreviousHup);
}

InterruptGuard::~InterruptGuard() {
  ::sigaction(SIGINT, &gPreviousInt, nullptr);
  ::sigaction(SIGTERM, &gPreviousTerm, nullptr);
  ::sigaction(SIGHUP, &gPreviousHup, nullptr);
  gRunState.store(nullptr);
}

}  // namespace kv
