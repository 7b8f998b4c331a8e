// Fuzzes the receive path: random bytes cut into random chunks go through
// Link::onBytesReceived (scan, dispatch into the table, names, flags, module text), and
// through two bare receive buffers, one scanned from its resume point and one rescanned
// from offset 0 every time. Both must find the same packets in the same order.
//
// Input layout: byte 0 picks options, then pairs of [chunk length, ...chunk bytes].

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "link/frame_scanner.h"
#include "link/link.h"
#include "link/receive_buffer.h"
#include "model/parameter_table.h"

namespace {

using kv816::ReceiveBuffer;

struct Packet {
  uint8_t command;
  std::vector<uint8_t> payload;
  bool operator==(const Packet&) const = default;
};

// The receive pass as first written: rescan the whole buffer for every chunk.
void fullRescan(ReceiveBuffer& buffer, std::vector<Packet>& out) {
  const std::vector<uint8_t> all = buffer.copyFrom(0);
  const auto r = kv816::scanFrames(all, [&](uint8_t c, std::span<const uint8_t> p) {
    out.push_back({c, {p.begin(), p.end()}});
  });
  buffer.discard(r.consumed);
}

void check(bool ok) {
  if (!ok)
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const uint8_t options = data[0];
  // A small cap makes the overflow path reachable with short inputs.
  const size_t cap = (options & 1) ? 300 : kv816::RECEIVE_BUFFER_CAP;

  kv816::ParameterTable table;
  kv816::Link link(table, [] { return 1000u; });
  link.state().waitingForReply = (options >> 1) & 1;
  size_t moduleText = 0;
  link.setModuleReplyHandler([&](std::string_view t) { moduleText += t.size(); });

  ReceiveBuffer resumed(cap), rescanned(cap);
  std::vector<Packet> fromResumed, fromRescanned;

  size_t i = 1;
  while (i < size) {
    const size_t want = data[i++] % 64 + 1;
    const size_t n = std::min(want, size - i);
    const std::span<const uint8_t> chunk(data + i, n);
    i += n;

    link.onBytesReceived(chunk);
    check(link.receiveBuffer().size() <= kv816::RECEIVE_BUFFER_CAP);
    check(link.replySemaphore().count() <= 1);

    resumed.append(chunk);
    rescanned.append(chunk);
    if (resumed.size() >= kv816::MIN_FRAME_SIZE) {
      kv816::scanReceived(resumed, [&](uint8_t c, std::span<const uint8_t> p) {
        fromResumed.push_back({c, {p.begin(), p.end()}});
      });
      fullRescan(rescanned, fromRescanned);
    }
    check(resumed.size() <= cap);
    check(resumed.size() == rescanned.size());
    check(resumed.scanned() <= resumed.size());
  }
  check(fromResumed == fromRescanned);
  (void)moduleText;
  return 0;
}
