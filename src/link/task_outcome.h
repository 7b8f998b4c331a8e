#pragma once
// How a device task tells its host how it ended. The tasks themselves report to the user
// through message boxes; a host that needs the result as a value (the command-line tool,
// tests) hands the task a TaskOutcome and waits on it.
//
// Threads: begin() and waitFor() on the host thread, finish() on the worker thread.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace kv816 {

enum class TaskResult : int {
  Done = 0,
  EmptyName,    // no file name was given
  NoFile,       // the file could not be read (missing, unreadable or bad checksum)
  Password,     // the file's data has a password
  WrongModel,   // the file comes from another device model
  LinkDown,     // the link was down when the task ended
  ReadFailed,   // the device's table could not be read
  Locked,       // the device's current preset is locked
  SaveFailed,   // the file could not be written
  NotConfirmed, // the device did not confirm a recall or a name store
  NotKept,      // the device's read-back differs from what was written
};

class TaskOutcome {
public:
  // Forgets an earlier result. Call before raising the task's flag.
  void begin() {
    std::lock_guard lock(mutex_);
    result_.reset();
  }
  void finish(TaskResult result) {
    {
      std::lock_guard lock(mutex_);
      result_ = result;
    }
    done_.notify_all();
  }
  // The result once the task has finished; nothing after `timeout`.
  std::optional<TaskResult> waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    done_.wait_for(lock, timeout, [this] { return result_.has_value(); });
    return result_;
  }

private:
  std::mutex mutex_;
  std::condition_variable done_;
  std::optional<TaskResult> result_;
};

// Null-safe finish for tasks whose host did not ask for the result.
inline TaskResult report(TaskOutcome* outcome, TaskResult result) {
  if (outcome != nullptr)
    outcome->finish(result);
  return result;
}

} // namespace kv816
