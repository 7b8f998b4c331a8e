#include "link/link_clock.h"

namespace kv816 {

namespace {
class SteadyClock : public LinkClock {
public:
  TimePoint now() const override { return std::chrono::steady_clock::now(); }

  bool waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                 TimePoint deadline, const std::function<bool()>& done) override {
    // A deadline this far out could overflow the conversion inside a timed wait.
    if (deadline == never()) {
      cv.wait(lock, done);
      return true;
    }
    return cv.wait_until(lock, deadline, done);
  }

  void notify(std::condition_variable& cv) override { cv.notify_all(); }
};
} // namespace

LinkClock& steadyClock() {
  static SteadyClock clock;
  return clock;
}

} // namespace kv816
