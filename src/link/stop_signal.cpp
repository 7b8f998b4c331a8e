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
  cv_.notify_all();
}

bool StopSignal::requested() const {
  std::lock_guard lock(mutex_);
  return stop_;
}

bool StopSignal::sleepFor(std::chrono::milliseconds duration) {
  return sleepUntil(Clock::now() + duration);
}

bool StopSignal::sleepUntil(Clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  cv_.wait_until(lock, deadline, [this] { return stop_; });
  return !stop_;
}

void StopSignal::wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  cv_.notify_all();
}

bool StopSignal::sleepUntilWoken(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  const bool ended = cv_.wait_for(lock, duration, [this] { return stop_ || woken_; });
  woken_ = false;
  return !ended;
}

} // namespace kv816
