#pragma once
// The worker's sleeps: condition-variable waits that a stop request cuts short, so the
// stop operation never waits for a sleep to run out.
//
// Threads: request() from any thread (the stop operation); the sleeps from the worker.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kv816 {

class StopSignal {
public:
  using Clock = std::chrono::steady_clock;

  // Arms the signal again for a new run.
  void reset();
  // Marks the stop and wakes every sleeper.
  void request();
  bool requested() const;

  // Sleeps for `duration` or until a stop request. Returns false when stopped.
  bool sleepFor(std::chrono::milliseconds duration);
  bool sleepUntil(Clock::time_point deadline);

private:
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool stop_ = false;
};

} // namespace kv816
