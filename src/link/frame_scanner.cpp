#include "link/frame_scanner.h"

#include <algorithm>

#include "link/packet.h"

namespace kv816 {

namespace {

enum class Candidate { Incomplete, Rejected, Valid };

// Judges the candidate start at `a`. A packet counts as complete only once both CRC
// bytes are there: a missing CRC byte never stands in as 0.
Candidate judge(std::span<const uint8_t> bytes, size_t a) {
  const size_t count = bytes.size();
  if (a + 1 >= count)
    return Candidate::Incomplete;
  const size_t length = bytes[a + 1];
  const size_t end = a + length;
  if (end + 2 > count)
    return Candidate::Incomplete;
  if (length < MIN_FRAME_LENGTH)
    return Candidate::Rejected;
  const uint16_t received = static_cast<uint16_t>((bytes[end] << 8) | bytes[end + 1]);
  return crc16(bytes.subspan(a, length)) == received ? Candidate::Valid : Candidate::Rejected;
}

} // namespace

size_t scanFrames(std::span<const uint8_t> bytes, const PacketSink& sink) {
  size_t consumed = 0;
  auto it = std::find(bytes.begin(), bytes.end(), FRAME_START);
  while (it != bytes.end()) {
    const size_t a = static_cast<size_t>(it - bytes.begin());
    if (judge(bytes, a) == Candidate::Valid) {
      const size_t end = a + bytes[a + 1];
      sink(bytes[a + 2], bytes.subspan(a + 3, end - (a + 3)));
      // A packet nested inside one already handled must not pull the mark back.
      consumed = std::max(consumed, end);
    }
    it = std::find(it + 1, bytes.end(), FRAME_START);
  }
  return consumed;
}

} // namespace kv816
