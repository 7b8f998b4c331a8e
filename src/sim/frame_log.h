#pragma once
// One JSON object per line for every frame the device takes in or sends out (and every
// module datagram), for tests and for people reading a session afterwards:
//   {"t_ms":12,"dir":"in","cmd":"0x06","len":7,"hex":"80 05 06 00 00 13 C5"}
// "dir" is "in", "out" or "dropped" (a frame the fault injector swallowed); datagrams use
// "udp_in"/"udp_out" with a "text" field instead of "cmd"/"hex".
//
// Threads: any thread may log; a mutex keeps lines whole.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "sim/simulated_device.h"

namespace kv816 {

class FrameLog {
public:
  FrameLog() = default;
  ~FrameLog();
  FrameLog(const FrameLog&) = delete;
  FrameLog& operator=(const FrameLog&) = delete;

  // False when the file cannot be created.
  bool open(const std::string& path);
  void frame(FrameDirection direction, std::span<const uint8_t> bytes);
  void datagram(bool incoming, std::string_view text);

  static std::string frameLine(int64_t ms, FrameDirection direction,
                               std::span<const uint8_t> bytes);

private:
  int64_t elapsedMs() const;
  void write(const std::string& line);

  std::mutex mutex_;
  std::FILE* file_ = nullptr;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Escapes a byte string for a JSON string literal (bytes above 0x7E as \u00XX).
std::string jsonEscape(std::string_view text);

} // namespace kv816
