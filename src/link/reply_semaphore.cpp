#include "link/reply_semaphore.h"

namespace kv816 {

void ReplySemaphore::release() {
  {
    std::lock_guard lock(mutex_);
    count_ = 1;
  }
  clock_.notify(cv_);
}

bool ReplySemaphore::waitFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!clock_.waitFor(lock, cv_, timeout, [this] { return count_ > 0; }))
    return false;
  count_ = 0;
  return true;
}

bool ReplySemaphore::tryAcquire() {
  std::lock_guard lock(mutex_);
  if (count_ == 0)
    return false;
  count_ = 0;
  return true;
}

int ReplySemaphore::count() const {
  std::lock_guard lock(mutex_);
  return count_;
}

} // namespace kv816
