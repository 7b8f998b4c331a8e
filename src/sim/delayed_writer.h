#pragma once
// Writes the device's frames from its own thread, each after its fault delay, in the
// order they were queued: a held-back frame holds back the frames behind it, as on a
// real line.
//
// Threads: push() from any thread; the sink runs on the writer's thread only. stop()
// (and the destructor) returns promptly and drops what has not been written yet.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "sim/fault_injector.h"

namespace kv816 {

class DelayedWriter {
public:
  using Sink = std::function<void(std::span<const uint8_t>)>;

  explicit DelayedWriter(Sink sink);
  ~DelayedWriter();
  DelayedWriter(const DelayedWriter&) = delete;
  DelayedWriter& operator=(const DelayedWriter&) = delete;

  void push(std::vector<OutgoingFrame> frames);
  // Drops the frames not yet written (a new client must not get the last one's replies).
  void clear();
  void stop();

private:
  using Clock = std::chrono::steady_clock;
  struct Pending {
    Clock::time_point due;
    std::vector<uint8_t> bytes;
  };
  void run();

  Sink sink_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Pending> queue_;
  Clock::time_point lastDue_{};
  bool stopping_ = false;
  std::thread thread_;
};

} // namespace kv816
