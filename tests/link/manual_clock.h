#pragma once
// A link clock the test moves by hand. Time stands still until the test advances it, and it
// moves only while every counted thread (the worker and the transport's receive thread)
// sleeps in one of its waits, so each thread has finished reacting to one moment before the
// next: a schedule then holds to the millisecond however loaded the machine is.
//
// Time jumps from one sleeper's deadline to the next, waking those whose deadline came;
// notify() wakes every sleeper to look at its condition again. A thread that waits on this
// clock without being counted (threadStarted) must have its time moved by another thread.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>

#include "link/link_clock.h"

namespace kv816::test {

class ManualClock : public LinkClock {
public:
  // How long (real time) advance and runUntil wait for the threads to fall asleep before
  // they report a thread that never does.
  static constexpr std::chrono::seconds SETTLE_LIMIT{20};

  explicit ManualClock(Duration start = Duration(100000)) : now_(start) {}

  TimePoint now() const override {
    std::lock_guard own(mutex_);
    return now_;
  }

  bool waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable&, TimePoint deadline,
                 const std::function<bool()>& done) override {
    for (;;) {
      if (done())
        return true;
      std::unique_lock own(mutex_);
      if (now_ >= deadline)
        return false;
      const uint64_t round = round_;
      const auto entry = deadlines_.insert(deadline);
      ++settled_;
      settledChanged_.notify_all();
      lock.unlock();
      moved_.wait(own, [&] { return round_ != round; });
      deadlines_.erase(entry);
      own.unlock();
      lock.lock();
    }
  }

  void notify(std::condition_variable&) override {
    std::lock_guard own(mutex_);
    nextRound();
  }

  void threadStarted() override {
    std::lock_guard own(mutex_);
    ++threads_;
  }
  void threadEnded() override {
    {
      std::lock_guard own(mutex_);
      --threads_;
    }
    settledChanged_.notify_all();
  }

  // Moves time forward by `duration`, stopping at every deadline on the way. False when a
  // counted thread did not fall asleep within SETTLE_LIMIT.
  bool advance(Duration duration) {
    const TimePoint target = now() + duration;
    while (settle()) {
      if (now() >= target)
        return true;
      step(target);
    }
    return false;
  }

  // Moves time from deadline to deadline until `done` holds, checked each time every
  // counted thread sleeps; false when it does not within `limit` of clock time.
  bool runUntil(const std::function<bool()>& done, Duration limit) {
    const TimePoint end = now() + limit;
    while (settle()) {
      if (done())
        return true;
      if (now() >= end)
        return false;
      step(end);
    }
    return false;
  }

  // Waits (real time) until every counted thread sleeps in a wait begun since the last move
  // or notify. False after SETTLE_LIMIT.
  bool settle() {
    std::unique_lock own(mutex_);
    return settledChanged_.wait_for(own, SETTLE_LIMIT, [this] { return settled_ >= threads_; });
  }

private:
  // Moves to the earliest deadline still ahead, or to `limit` when that comes first.
  void step(TimePoint limit) {
    std::lock_guard own(mutex_);
    const auto next = deadlines_.upper_bound(now_);
    now_ = next == deadlines_.end() ? limit : std::min(*next, limit);
    nextRound();
  }

  // Every sleeper wakes and looks again; none counts as asleep until it waits anew.
  void nextRound() {
    ++round_;
    settled_ = 0;
    moved_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable moved_;
  std::condition_variable settledChanged_;
  TimePoint now_;
  uint64_t round_ = 0;
  int settled_ = 0;
  int threads_ = 0;
  std::multiset<TimePoint> deadlines_;
};

} // namespace kv816::test
