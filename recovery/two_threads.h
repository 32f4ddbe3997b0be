#pragma once
// Work shared by this thread and one more, so both processors hash and
// multiply: items are handed out one at a time to whichever thread is free.

#include <cstddef>
#include <functional>

namespace kv::par2 {

// What a thread's work may ask between its steps: true when the work is to end.
using StopCheck = std::function<bool()>;

// Calls work(index, thread, stop) for every index below `count`, `thread`
// being 0 on this thread and 1 on the other, so each can keep scratch space
// of its own. It ends early once a call returns false or `stopAsked` says
// so; `stopAsked` is asked on this thread only (between items, while it
// waits for the other thread, and once at the end), each thread's `stop`
// tells it a stop was asked (an item that failed lets the ones under way run
// to their end). False when it ended early.
bool ForEachOnTwoThreads(
    std::size_t count,
    const std::function<bool(std::size_t index, unsigned thread, const StopCheck& stop)>& work,
    const StopCheck& stopAsked = {});

}  // namespace kv::par2
