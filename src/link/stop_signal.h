#pragma once
// The worker's sleeps: waits on the link's clock that a stop request cuts short, so the
// stop operation never waits for a sleep to run out. A wake (the host has new work, such as
// an edit to send) cuts short the main loop's idle waits too; one made while the worker is
// busy is kept for its next such wait.
//
// Threads: request() and wake() from any thread; the sleeps from the worker.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "link/link_clock.h"

namespace kv816 {

class StopSignal {
public:
  // `clock` must outlive the signal.
  explicit StopSignal(LinkClock& clock = steadyClock()) : clock_(clock) {}

  // Arms the signal again for a new run (and forgets a wake nobody slept on).
  void reset();
  // Marks the stop and wakes every sleeper.
  void request();
  bool requested() const;

  // Sleeps for `duration` or until a stop request. Returns false when stopped.
  bool sleepFor(std::chrono::milliseconds duration);
  bool sleepUntil(LinkClock::TimePoint deadline);

  // Ends the current or next sleepUntilWoken.
  void wake();
  // Sleeps like sleepFor; a wake ends it early too (and is used up). False when a wake or a
  // stop ended it.
  bool sleepUntilWoken(std::chrono::milliseconds duration);

private:
  LinkClock& clock_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool stop_ = false;
  bool woken_ = false;
};

} // namespace kv816
