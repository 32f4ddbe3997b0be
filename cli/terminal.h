#pragma once
// What kolvanto-cli asks of the terminal and the system's signals: whether
// the standard streams are a terminal, waiting for a line, and the handling
// of interrupts. The system's own calls stay in the one file behind this.

#include <atomic>

namespace kv {

// True when standard input, or standard error, is a terminal.
bool StandardInputIsTerminal();
bool StandardErrorIsTerminal();

// Waits up to `milliseconds` for standard input: true when a line, the end of
// input or an error is there (reading tells which), false when the time ran
// out or a signal came.
bool InputArrives(int milliseconds);

// The descriptor of standard output, and writes to it failing with EPIPE
// once its reader is gone, instead of the signal ending the program.
int StandardOutputDescriptor();
// The descriptor of standard input, read by a divide of "-".
int StandardInputDescriptor();
void LetClosedPipeFailWrites();

// Ctrl+C (SIGINT), SIGTERM and SIGHUP (the terminal closed) while
// kolvanto-cli starts or follows a job: the first answers a waiting question
// No and asks the running job to stop, as the close button does; a second one ends the program at
// once, the way the signal normally does.

class InterruptGuard {
 public:
  // Routes the three signals to `runState` until the guard is destroyed.
  explicit InterruptGuard(std::atomic<int>& runState);
  // Puts the previous handlers back.
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;
};

// True once Ctrl+C or SIGTERM came while a guard was in place: a question
// waiting for its answer gives up.
bool InterruptRequested();

}  // namespace kv
