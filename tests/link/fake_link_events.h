#pragma once
// A LinkEvents host for tests: records every notification, message box and progress call
// from any thread, and lets a test wait (with a time-out) until a condition on the record
// holds. Message boxes return Ok at once unless `answer` says otherwise.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/link_events.h"

namespace kv816::test {

struct RecordedNotify {
  bool sent; // send() rather than post()
  Notify what;
  int arg;
};

struct RecordedMessage {
  std::string text;
  std::string caption;
};

class FakeLinkEvents : public LinkEvents {
public:
  using Clock = std::chrono::steady_clock;

  // Runs on the calling (worker) thread inside showMessage, before it returns.
  std::function<void(const RecordedMessage&)> onMessage;
  MessageButton answer = MessageButton::Ok;

  void post(Notify what, int arg) override { record({false, what, arg}); }
  void send(Notify what, int arg) override { record({true, what, arg}); }

  MessageButton showMessage(MessageKind, const std::string& text,
                            const std::string& caption) override {
    RecordedMessage m{text, caption};
    if (onMessage)
      onMessage(m);
    {
      std::lock_guard lock(mutex_);
      messages_.push_back(m);
    }
    changed_.notify_all();
    return answer;
  }

  ProgressView& progress() override { return progress_; }

  std::vector<RecordedNotify> notifications() const {
    std::lock_guard lock(mutex_);
    return notifies_;
  }
  std::vector<RecordedMessage> messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  int count(bool sent, Notify what, int arg) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(notifies_.begin(), notifies_.end(), [&](auto& n) {
      return n.sent == sent && n.what == what && n.arg == arg;
    }));
  }
  int messageCount(const std::string& text) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(
        std::count_if(messages_.begin(), messages_.end(), [&](auto& m) { return m.text == text; }));
  }
  std::vector<std::string> progressTexts() const { return progress_.texts(); }

  // Waits until `condition` (called under no lock) holds; false on time-out.
  bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::unique_lock lock(mutex_);
    while (true) {
      lock.unlock();
      if (condition())
        return true;
      lock.lock();
      if (Clock::now() >= deadline)
        return false;
      // Woken by every record; the poll bounds the wait for conditions on other state.
      changed_.wait_for(lock, std::chrono::milliseconds(5));
    }
  }

private:
  class Progress : public ProgressView {
  public:
    void show() override {}
    void hide() override {}
    void setRange(int, int) override {}
    void setPosition(int) override {}
    void setText(const std::string& text) override {
      std::lock_guard lock(mutex_);
      texts_.push_back(text);
    }
    std::vector<std::string> texts() const {
      std::lock_guard lock(mutex_);
      return texts_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
  };

  void record(RecordedNotify n) {
    {
      std::lock_guard lock(mutex_);
      notifies_.push_back(n);
    }
    changed_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<RecordedNotify> notifies_;
  std::vector<RecordedMessage> messages_;
  Progress progress_;
};

} // namespace kv816::test
