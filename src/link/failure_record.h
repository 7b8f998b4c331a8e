#pragma once
// The latest reason the active transport could not reach the device. Transports set it on
// the worker or receive thread; the status line and kv816ctl read it from any thread.

#include <mutex>

#include "link/event_log.h"
#include "link/link_failure.h"

namespace kv816 {

class FailureRecord {
public:
  // A new reason goes to the log once; the same one again (a retry loop) does not.
  void set(LinkFailure failure) {
    std::lock_guard lock(mutex_);
    if (failure && (failure.error != failure_.error || failure.where != failure_.where))
      logWarning("link: " + describeLinkFailure(failure));
    failure_ = std::move(failure);
  }
  void clear() { set({}); }
  LinkFailure get() const {
    std::lock_guard lock(mutex_);
    return failure_;
  }

private:
  mutable std::mutex mutex_;
  LinkFailure failure_;
};

} // namespace kv816
