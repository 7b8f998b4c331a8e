#pragma once
// A token bucket: up to `burst` messages at once, refilled at `perSecond`. Plain value;
// one thread at a time.

#include <algorithm>
#include <chrono>

namespace kv816 {

class RateLimiter {
public:
  using Clock = std::chrono::steady_clock;

  RateLimiter(double perSecond, double burst, Clock::time_point now = Clock::now())
      : perSecond_(perSecond), burst_(burst), tokens_(burst), last_(now) {}

  // Takes one token; false when the bucket is empty.
  bool take(Clock::time_point now = Clock::now()) {
    const double seconds = std::chrono::duration<double>(now - last_).count();
    last_ = now;
    tokens_ = std::min(burst_, tokens_ + std::max(0.0, seconds) * perSecond_);
    if (tokens_ < 1.0)
      return false;
    tokens_ -= 1.0;
    return true;
  }

private:
  double perSecond_;
  double burst_;
  double tokens_;
  Clock::time_point last_;
};

} // namespace kv816
