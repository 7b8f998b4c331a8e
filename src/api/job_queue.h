#pragma once
// Work handed to the editing thread by other threads (the network thread, the link's
// worker): a host without an event loop of its own runs the jobs in its loop.
//
// Threads: post from any thread; runFor and clear on the editing thread only.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace kv816 {

class JobQueue {
public:
  using Job = std::function<void()>;

  void post(Job job);
  // Runs the jobs queued now and those arriving until `timeout` has passed; returns early
  // after a wake(). A job may post further jobs.
  void runFor(std::chrono::milliseconds timeout);
  // Ends the current runFor at once.
  void wake();
  // Drops every queued job (before the objects they refer to go away).
  void clear();

private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Job> jobs_;
  bool woken_ = false;
};

} // namespace kv816
