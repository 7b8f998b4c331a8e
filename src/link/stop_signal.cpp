#include "link/stop_signal.h"

namespace kv816 {

void StopSignal::reset() {
  std::lock_guard lock(mutex_);
  stop_ = false;
  woken_ = false;
}

void StopSignal::request() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  clock_.notify(cv_);
}

bool StopSignal::requested() const {
  std::lock_guard lock(mutex_);
  return stop_;
}

bool StopSignal::sleepFor(std::chrono::milliseconds duration) {
  return sleepUntil(clock_.now() + duration);
}

bool StopSignal::sleepUntil(LinkClock::TimePoint deadline) {
  std::unique_lock lock(mutex_);
  clock_.waitUntil(lock, cv_, deadline, [this] { return stop_; });
  return !stop_;
}

void StopSignal::wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  clock_.notify(cv_);
}

bool StopSignal::sleepUntilWoken(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  const bool ended = clock_.waitFor(lock, cv_, duration, [this] { return stop_ || woken_; });
  woken_ = false;
  return !ended;
}

} // namespace kv816
