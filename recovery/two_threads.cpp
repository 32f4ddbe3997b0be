#include "recovery/two_threads.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace kv::par2 {

namespace {

// How often this thread asks for a stop while the other one finishes.
constexpr std::chrono::milliseconds kStopPoll{10};

class SharedWork {
 public:
  SharedWork(std::size_t count, const StopCheck& stopAsked) : count_(count), asked_(stopAsked) {}

  // True once a stop was asked; on this thread the caller is asked again.
  bool Stopped(unsigned thread) {
    if (!stopped_.load() && thread == 0 && asked_ && asked_()) {
      stopped_.store(true);
    }
    return stopped_.load();
  }
  // True once the work is to end: stopped, or an item failed.
  bool Ended(unsigned thread) { return Stopped(thread) || ended_.load(); }
  void End() { ended_.store(true); }
  bool Next(std::size_t& index) {
    index = next_.fetch_add(1);
    return index < count_;
  }
  void OtherDone() {
    const std::lock_guard lock(mutex_);
    otherDone_ = true;
    changed_.notify_all();
  }
  void AwaitOther() {
    std::unique_lock lock(mutex_);
    while (!changed_.wait_for(lock, kStopPoll, [this] { return otherDone_; })) {
      lock.unlock();
      Ended(0);
      lock.lock();
    }
  }

 private:
  const std::size_t count_;
  const StopCheck& asked_;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> ended_{false};
  std::atomic<bool> stopped_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  bool otherDone_ = false;
};

}  // namespace

bool ForEachOnTwoThreads(
    std::size_t count,
    const std::function<bool(std::size_t index, unsigned thread, const StopCheck& stop)>& work,
    const StopCheck& stopAsked) {
  SharedWork shared(count, stopAsked);
  const auto run = [&](unsigned thread) {
    const StopCheck stop = [&shared, thread] { return shared.Stopped(thread); };
    std::size_t index = 0;
    while (!shared.Ended(thread) && shared.Next(index)) {
      if (!work(index, thread, stop)) {
        shared.End();
      }
    }
  };
  std::thread other;
  if (count > 1) {
    try {
      other = std::thread([&] {
        run(1);
        shared.OtherDone();
      });
    } catch (const std::system_error&) {
      // No second thread to be had: this one does it all.
    }
  }
  run(0);
  if (other.joinable()) {
    shared.AwaitOther();
    other.join();
  }
  return !shared.Ended(0);
}

}  // namespace kv::par2
