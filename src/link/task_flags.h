#pragma once
// Task requests and reply markers shared by the GUI, the worker and the receive side.
// A task is pending while its flag is 1 or more. Any thread may call any member.

#include <array>
#include <atomic>

namespace kv816 {

inline constexpr int TASK_FLAG_COUNT = 32;

inline constexpr int TASK_EXPORT = 1;
inline constexpr int TASK_IMPORT = 2;
inline constexpr int TASK_RECALL = 4;
inline constexpr int TASK_STORE_NAME = 13;
inline constexpr int FLAG_RECALL_CONFIRMED = 20; // set to 1 by reply 0x01
inline constexpr int FLAG_NAME_REPLY = 28;       // set to 4 by reply 0x04
inline constexpr int FLAG_NAME_STORED = 29;      // set to 16 by reply 0x10

class TaskFlags {
public:
  // Indexes outside 0..31 read as 0 and are not written.
  int get(int i) const { return valid(i) ? flags_[i].load(std::memory_order_relaxed) : 0; }
  void set(int i, int value) {
    if (valid(i))
      flags_[i].store(value, std::memory_order_relaxed);
  }
  void clear(int i) { set(i, 0); }
  bool pending(int i) const { return get(i) >= 1; }
  void clearAll() {
    for (auto& f : flags_)
      f.store(0, std::memory_order_relaxed);
  }

private:
  static constexpr bool valid(int i) { return i >= 0 && i < TASK_FLAG_COUNT; }
  std::array<std::atomic<int>, TASK_FLAG_COUNT> flags_{};
};

} // namespace kv816
