#pragma once
// The pauses of a transport's open loop: real sleeps that end early when the worker is
// being stopped. The stop operation clears LinkState::workerRun and then closes the
// transport; close() calls wake(), so a pause never outlasts the stop by more than a
// scheduling slice.
//
// Threads: pauseFor on the worker thread; wake from any thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kv816 {

class WorkerPause {
public:
  explicit WorkerPause(const std::atomic<bool>& workerRun) : run_(workerRun) {}

  // Sleeps for `duration` unless workerRun is (or becomes) clear. Returns workerRun.
  bool pauseFor(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, duration, [this] { return !run_.load(std::memory_order_relaxed); });
    return run_.load(std::memory_order_relaxed);
  }

  // Wakes a pause so it re-checks workerRun.
  void wake() {
    { std::lock_guard lock(mutex_); }
    cv_.notify_all();
  }

private:
  const std::atomic<bool>& run_;
  std::mutex mutex_;
  std::condition_variable cv_;
};

} // namespace kv816
