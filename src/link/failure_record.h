#pragma once
// The latest reason the active transport could not reach the device. Transports set it on
// the worker or receive thread; the status line and kv816ctl read it from any thread.

#include <functional>
#include <mutex>
#include <string>

#include "link/event_log.h"
#include "link/link_failure.h"

namespace kv816 {

class FailureRecord {
public:
  // Told each new reason as one line (a status line, a terminal); it runs on the thread
  // that set the reason, under this record's lock, so it must only queue the text.
  using Listener = std::function<void(const std::string& text)>;

  void setListener(Listener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
  }
  // A new reason goes to the log and the listener once; the same one again (a retry
  // loop) does not.
  void set(LinkFailure failure) {
    std::lock_guard lock(mutex_);
    if (failure && (failure.error != failure_.error || failure.where != failure_.where)) {
      const std::string text = describeLinkFailure(failure);
      logWarning("link: " + text);
      if (listener_)
        listener_(text);
    }
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
  Listener listener_;
};

} // namespace kv816
