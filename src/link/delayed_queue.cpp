#include "link/delayed_queue.h"

#include <algorithm>

namespace kv816 {

DelayedQueue::DelayedQueue(Sink sink, LinkClock& clock) : sink_(std::move(sink)), clock_(clock) {}

DelayedQueue::~DelayedQueue() {
  stop();
}

void DelayedQueue::start() {
  if (thread_.joinable())
    return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = false;
  }
  clock_.threadStarted();
  try {
    thread_ = std::thread([this] {
      run();
      clock_.threadEnded();
    });
  } catch (...) {
    clock_.threadEnded();
    throw;
  }
}

void DelayedQueue::push(std::vector<DelayedBytes> items) {
  if (items.empty())
    return;
  {
    std::lock_guard lock(mutex_);
    const auto now = clock_.now();
    for (DelayedBytes& item : items) {
      lastDue_ = std::max(now + item.delay, lastDue_);
      queue_.push_back({lastDue_, std::move(item.bytes)});
    }
    ++pushes_;
  }
  clock_.notify(cv_);
}

void DelayedQueue::clear() {
  std::lock_guard lock(mutex_);
  queue_.clear();
}

void DelayedQueue::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  clock_.notify(cv_);
  if (thread_.joinable())
    thread_.join();
}

void DelayedQueue::run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    // Sleeps until the head is due, a push brings a new block or the queue stops.
    if (queue_.empty() || clock_.now() < queue_.front().due) {
      const uint64_t pushes = pushes_;
      const auto until = queue_.empty() ? LinkClock::never() : queue_.front().due;
      clock_.waitUntil(lock, cv_, until, [&] { return stopping_ || pushes_ != pushes; });
      continue;
    }
    std::vector<uint8_t> bytes = std::move(queue_.front().bytes);
    queue_.pop_front();
    lock.unlock();
    sink_(bytes);
    lock.lock();
  }
}

} // namespace kv816
