#include "link/delayed_queue.h"

#include <algorithm>

namespace kv816 {

DelayedQueue::DelayedQueue(Sink sink) : sink_(std::move(sink)) {}

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
  thread_ = std::thread([this] { run(); });
}

void DelayedQueue::push(std::vector<DelayedBytes> items) {
  if (items.empty())
    return;
  {
    std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    for (DelayedBytes& item : items) {
      lastDue_ = std::max(now + item.delay, lastDue_);
      queue_.push_back({lastDue_, std::move(item.bytes)});
    }
  }
  cv_.notify_one();
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
  cv_.notify_one();
  if (thread_.joinable())
    thread_.join();
}

void DelayedQueue::run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (queue_.empty()) {
      cv_.wait(lock);
      continue;
    }
    if (Clock::now() < queue_.front().due) {
      cv_.wait_until(lock, queue_.front().due);
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
