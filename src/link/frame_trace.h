#pragma once
// The packet trace: every frame written to the device and every chunk read from it, one
// line each with a timestamp, the direction and the bytes in hex:
//   2026-12-10T13:52:57.123456 OUT 80 05 06 00 00 13 C5
// Off unless a file is given; the file stops growing at its size cap (a last line says so).
// kv816-sim --replay reads these files back.
//
// Threads: record() from the worker and a receive thread at once; open/close from the host.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <span>
#include <string>

namespace kv816 {

enum class TraceDirection { Out, In };

class FrameTrace {
public:
  static constexpr size_t DEFAULT_MAX_BYTES = 16u << 20;

  FrameTrace() = default;
  FrameTrace(const FrameTrace&) = delete;
  FrameTrace& operator=(const FrameTrace&) = delete;
  ~FrameTrace() { close(); }

  // Starts a new trace file (replacing one of that name); false when it cannot be written.
  bool open(const std::string& path, size_t maxBytes = DEFAULT_MAX_BYTES);
  void close();
  bool active() const;
  std::string path() const;

  void record(TraceDirection direction, std::span<const uint8_t> bytes);

private:
  mutable std::mutex mutex_;
  std::FILE* file_ = nullptr;
  std::string path_;
  size_t written_ = 0;
  size_t maxBytes_ = DEFAULT_MAX_BYTES;
};

} // namespace kv816
