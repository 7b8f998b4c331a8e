#pragma once
// Shared pieces of the transport tests: a LinkEvents that records what the link reports,
// a wait for a condition with a deadline, and a scratch folder.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "link/link_events.h"
#include "support/null_progress.h"
#include "support/unique_folder.h"
#include "support/wait_until.h"

namespace kv816::test {

class RecordingEvents : public LinkEvents {
public:
  void post(Notify what, int arg) override { record(what, arg); }
  void send(Notify what, int arg) override {
    record(what, arg);
    if (onSend)
      onSend(what, arg);
  }
  MessageButton showMessage(MessageKind, const std::string& text, const std::string&) override {
    std::lock_guard lock(mutex_);
    messages_.push_back(text);
    return MessageButton::Ok;
  }
  ProgressView& progress() override { return progress_; }

  std::vector<std::pair<Notify, int>> notes() const {
    std::lock_guard lock(mutex_);
    return notes_;
  }
  std::vector<std::string> messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  int count(Notify what, int arg) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& [w, a] : notes_)
      n += (w == what && a == arg);
    return n;
  }

  // Runs on the caller's thread inside send(), as a host's handler would.
  std::function<void(Notify, int)> onSend;

private:
  void record(Notify what, int arg) {
    std::lock_guard lock(mutex_);
    notes_.emplace_back(what, arg);
  }
  mutable std::mutex mutex_;
  std::vector<std::pair<Notify, int>> notes_;
  std::vector<std::string> messages_;
  NullProgress progress_;
};

// Polls `done` until it holds or `timeout` passes.
inline bool waitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
  return testing::waitUntil(done, timeout);
}

// A fresh folder below the temporary folder, removed with the object.
class ScratchFolder {
public:
  ScratchFolder() : path_(makeUniqueFolder("kv816-transport-").string()) {}
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

} // namespace kv816::test
