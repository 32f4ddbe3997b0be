#pragma once
// Ctrl+C (SIGINT), SIGTERM and SIGHUP (the terminal closed) while
// kolvanto-cli starts or follows a job: the first answers a waiting question
// No and asks the running job to stop, as the close button does; a second one ends the program at
// once, the way the signal normally does.

#include <atomic>
#include <csignal>

namespace kv {

class InterruptGuard {
 public:
  // Routes the three signals to `runState` until the guard is destroyed.
  explicit InterruptGuard(std::atomic<int>& runState);
  // Puts the previous handlers back.
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
  struct sigaction previousHup_ {};
};

// True once Ctrl+C or SIGTERM came while a guard was in place: a question
// waiting for its answer gives up.
bool InterruptRequested();

}  // namespace kv
