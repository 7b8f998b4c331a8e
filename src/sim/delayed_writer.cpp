#include "sim/delayed_writer.h"

#include <algorithm>

namespace kv816 {

DelayedWriter::DelayedWriter(Sink sink) : sink_(std::move(sink)), thread_([this] { run(); }) {}

DelayedWriter::~DelayedWriter() {
  stop();
}

void DelayedWriter::push(std::vector<OutgoingFrame> frames) {
  if (frames.empty())
    return;
  {
    std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    for (OutgoingFrame& f : frames) {
      lastDue_ = std::max(now + f.delay, lastDue_);
      queue_.push_back({lastDue_, std::move(f.bytes)});
    }
  }
  cv_.notify_one();
}

void DelayedWriter::clear() {
  std::lock_guard lock(mutex_);
  queue_.clear();
}

void DelayedWriter::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  cv_.notify_one();
  if (thread_.joinable())
    thread_.join();
}

void DelayedWriter::run() {
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
