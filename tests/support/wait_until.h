#pragma once
// The one way tests wait for something another thread or process does: poll a condition
// until it holds or a deadline passes. The deadline is generous; a pass returns at once.

#include <chrono>
#include <functional>
#include <thread>

namespace kv816::testing {

inline bool waitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

} // namespace kv816::testing
