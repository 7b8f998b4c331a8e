#pragma once
// Hands byte blocks to a sink from its own thread, each after its delay, in the order they
// were queued: a held-back block holds back the blocks behind it, as on a real line.
//
// Threads: push() and clear() from any thread; start() and stop() from the owner's thread.
// The sink runs on the queue's thread only. stop() (and the destructor) returns promptly
// and drops what has not been delivered yet; start() may run again after stop().

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "link/link_clock.h"

namespace kv816 {

// A block of bytes on its way out, with the time to hold it back before it is delivered.
struct DelayedBytes {
  std::vector<uint8_t> bytes;
  std::chrono::milliseconds delay{0};
};

class DelayedQueue {
public:
  using Sink = std::function<void(std::span<const uint8_t>)>;

  // The delays run on `clock`, which must outlive the queue.
  explicit DelayedQueue(Sink sink, LinkClock& clock = steadyClock());
  ~DelayedQueue();
  DelayedQueue(const DelayedQueue&) = delete;
  DelayedQueue& operator=(const DelayedQueue&) = delete;

  // Starts the delivery thread; does nothing while it runs.
  void start();
  // Every delay in one batch counts from the same instant.
  void push(std::vector<DelayedBytes> items);
  // Drops the blocks not yet delivered.
  void clear();
  void stop();

private:
  struct Pending {
    LinkClock::TimePoint due;
    std::vector<uint8_t> bytes;
  };
  void run();

  Sink sink_;
  LinkClock& clock_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Pending> queue_;
  LinkClock::TimePoint lastDue_{};
  uint64_t pushes_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

} // namespace kv816
