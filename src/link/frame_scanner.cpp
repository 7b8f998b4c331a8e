#include "link/frame_scanner.h"

#include <algorithm>
#include <cstdint>

#include "link/packet.h"
#include "link/receive_buffer.h"

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

ScanResult scanFrames(std::span<const uint8_t> bytes, const PacketSink& sink) {
  constexpr size_t NONE = SIZE_MAX;
  size_t consumed = 0;
  size_t pending = NONE;
  auto it = std::find(bytes.begin(), bytes.end(), FRAME_START);
  while (it != bytes.end()) {
    const size_t a = static_cast<size_t>(it - bytes.begin());
    const Candidate c = judge(bytes, a);
    if (c == Candidate::Valid) {
      const size_t end = a + bytes[a + 1];
      sink(bytes[a + 2], bytes.subspan(a + 3, end - (a + 3)));
      // A packet nested inside one already handled must not pull the mark back.
      if (end > consumed) {
        consumed = end;
        pending = NONE; // every earlier candidate is discarded with the packet
      }
    } else if (c == Candidate::Incomplete && pending == NONE && a >= consumed) {
      pending = a;
    }
    it = std::find(it + 1, bytes.end(), FRAME_START);
  }
  return {consumed, pending == NONE ? bytes.size() : pending};
}

void scanReceived(ReceiveBuffer& buffer, const PacketSink& sink) {
  const size_t base = buffer.scanned();
  const std::vector<uint8_t> scratch = buffer.copyFrom(base);
  const ScanResult r = scanFrames(scratch, sink);
  if (r.consumed > 0) {
    buffer.discard(base + r.consumed);
    buffer.setScanned(r.resume - r.consumed);
  } else {
    buffer.setScanned(base + r.resume);
  }
}

} // namespace kv816
