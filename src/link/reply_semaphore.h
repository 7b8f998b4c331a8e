#pragma once
// The reply hand-off: a counting semaphore with initial count 0 and maximum count 1.
// The receive side releases it when a reply arrives while a sender waits; a surplus
// release is harmless (the count stays 1). std::binary_semaphore forbids that surplus.
// Any thread may call any member.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "link/link_clock.h"

namespace kv816 {

class ReplySemaphore {
public:
  // Waits run on `clock`, which must outlive the semaphore.
  explicit ReplySemaphore(LinkClock& clock = steadyClock()) : clock_(clock) {}

  // Raises the count to 1 (no change when it is 1 already) and wakes the waiter.
  // The stop operation calls it too, to wake the worker out of a wait.
  void release();
  // Waits until the count is 1 or the time-out passes. Returns true and lowers the count
  // to 0 when it was released; false on time-out.
  bool waitFor(std::chrono::milliseconds timeout);
  // Takes a pending release without waiting; true when there was one.
  bool tryAcquire();
  int count() const;

private:
  LinkClock& clock_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  int count_ = 0;
};

} // namespace kv816
