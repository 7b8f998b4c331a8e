#include "api/job_queue.h"

namespace kv816 {

void JobQueue::post(Job job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  ready_.notify_one();
}

void JobQueue::runFor(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(mutex_);
  for (;;) {
    ready_.wait_until(lock, deadline, [this] { return !jobs_.empty() || woken_; });
    if (woken_) {
      woken_ = false;
      return;
    }
    if (jobs_.empty())
      return;
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    job();
    lock.lock();
  }
}

void JobQueue::wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  ready_.notify_one();
}

void JobQueue::clear() {
  std::lock_guard lock(mutex_);
  jobs_.clear();
}

} // namespace kv816
