#pragma once
// Answers as a recorded packet trace did: every frame the program sent is matched to the
// bytes the device sent back before the program's next frame. A request recorded several
// times gets its recorded answers in turn (the last one again once they run out); one
// never recorded gets no answer. Lets a user's problem be replayed here from their trace.
//
// Threads: answerTo from any thread (one mutex).

#include <cstdint>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace kv816 {

class TraceReplay {
public:
  // Reads a trace file; false with `error` set when it cannot be read or has no frame.
  bool load(const std::string& path, std::string& error);
  // The recorded answer to this whole frame (empty: none).
  std::vector<uint8_t> answerTo(std::span<const uint8_t> frame);
  size_t requestCount() const;

private:
  struct Answers {
    std::vector<std::vector<uint8_t>> inTurn;
    size_t next = 0;
  };
  mutable std::mutex mutex_;
  std::map<std::vector<uint8_t>, Answers> answers_;
};

} // namespace kv816
