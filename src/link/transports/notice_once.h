#pragma once
// Gives each distinct one-line notice once: to the host's callback when there is one, else
// to standard error. A link retries every few hundred milliseconds; the user needs to
// read a refusal once, not once per retry.
//
// Threads: any thread.

#include <cstdio>
#include <functional>
#include <mutex>
#include <set>
#include <string>

namespace kv816 {

class NoticeOnce {
public:
  using Notice = std::function<void(const std::string& text)>;

  void give(const Notice& notice, const std::string& text) {
    {
      std::lock_guard lock(mutex_);
      if (!given_.insert(text).second)
        return;
    }
    if (notice)
      notice(text);
    else
      std::fprintf(stderr, "%s\n", text.c_str());
  }

private:
  std::mutex mutex_;
  std::set<std::string> given_;
};

} // namespace kv816
