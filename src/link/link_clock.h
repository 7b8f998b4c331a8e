#pragma once
// The one clock of a link: its millisecond ticks and every timed wait of the worker, the
// reply hand-off and the delayed queue. Production uses steadyClock(); tests hand in a
// clock they step by hand, so a schedule can be checked to the millisecond.
//
// A wait watches state guarded by the caller's mutex. Whoever changes that state does so
// under the mutex and then calls notify(cv), never cv.notify_* directly, so that a clock
// that does not use the condition variable still sees the change.
//
// Threads: any thread may call any member.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace kv816 {

class LinkClock {
public:
  using TimePoint = std::chrono::steady_clock::time_point;
  using Duration = std::chrono::milliseconds;

  virtual ~LinkClock() = default;

  virtual TimePoint now() const = 0;

  // Waits until `done` holds or `deadline` passes; `lock` is held on entry and on return
  // and `done` is called with it held. Returns done().
  virtual bool waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                         TimePoint deadline, const std::function<bool()>& done) = 0;
  // Wakes the waits on `cv` so they check their condition again.
  virtual void notify(std::condition_variable& cv) = 0;

  // A thread that waits on this clock, counted from just before it is created until it
  // ends: a clock stepped by hand moves only while every such thread is asleep in a wait.
  virtual void threadStarted() {}
  virtual void threadEnded() {}

  bool waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Duration duration,
               const std::function<bool()>& done) {
    return waitUntil(lock, cv, now() + duration, done);
  }

  // Milliseconds since the clock's epoch, wrapping at 2^32.
  uint32_t ticks() const {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<Duration>(now().time_since_epoch()).count());
  }

  // The waits a deadline of never gives.
  static constexpr TimePoint never() { return TimePoint::max(); }
};

// The real clock, on std::chrono::steady_clock: the default of every link.
LinkClock& steadyClock();

} // namespace kv816
