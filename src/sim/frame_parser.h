#pragma once
// Device-side reader of the frame stream the program sends:
//   0x80, L, command, payload, CRC high, CRC low (L = payload length + 3).
// A length byte of 255 stands for a payload of 250 bytes or more; for those the parser
// looks for the first end whose CRC matches.
//
// Not thread-safe: one parser per byte stream, driven by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kv816 {

struct Frame {
  uint8_t command = 0;
  std::vector<uint8_t> payload;
};

class FrameParser {
public:
  // Bytes kept while waiting for the rest of a frame; older bytes are dropped first.
  static constexpr size_t BUFFER_CAP = 16 * 1024;
  // Longest payload accepted behind a length byte of 255.
  static constexpr size_t MAX_LONG_PAYLOAD = 1024;

  // Appends the chunk and returns every complete, CRC-valid frame it finished, in order.
  // Garbage and frames with a wrong CRC are skipped one byte at a time.
  std::vector<Frame> feed(std::span<const uint8_t> chunk);

  size_t buffered() const { return buffer_.size(); }

private:
  enum class Candidate { Valid, Invalid, Incomplete };
  Candidate tryFrame(size_t start, size_t& end) const;

  std::vector<uint8_t> buffer_;
};

} // namespace kv816
