#pragma once
// The link's shared words: written and read by the GUI thread, the connection worker and
// a transport's receive thread without locks. Every field is a std::atomic used relaxed;
// the protocol tolerates stale reads.

#include <atomic>
#include <cstdint>

namespace kv816 {

// Values of LinkState::linkType. Any value other than these is a plain COM port.
inline constexpr int LINK_USB = 1;
inline constexpr int LINK_NETWORK = 2;
inline constexpr int LINK_BLUETOOTH = 3;
inline constexpr int LINK_SERIAL = 4;

// The per-link waits and silence limits, in milliseconds (missLimit is a count).
struct LinkTimings {
  uint32_t readWait;  // reply to each read batch of a full read
  uint32_t batchWait; // echo of each write batch of the import task
  uint32_t ackWait;   // echo of a write batch, reply to a module command
  uint32_t silenceTime;
  int missLimit;

  static constexpr LinkTimings forLinkType(int linkType) {
    switch (linkType) {
    case LINK_USB:
      return {100, 800, 200, 1500, 4};
    case LINK_NETWORK:
      return {1000, 2000, 1000, 3000, 14};
    case LINK_BLUETOOTH:
      return {100, 500, 1000, 3000, 14};
    default:
      return {100, 800, 200, 1500, 4};
    }
  }
};

struct LinkState {
  // Cleared by the stop operation; the worker, open loops and receive threads run while set.
  std::atomic<bool> workerRun{true};
  // The link is up. Cleared by sendPacket when the device has stopped answering.
  std::atomic<bool> connected{false};
  std::atomic<int> linkType{LINK_USB};
  // Sends made while the device has been silent for at least silenceTime.
  std::atomic<uint8_t> missCount{0};
  // Millisecond tick of the last packet that passed the CRC check.
  std::atomic<uint32_t> lastRxTick{0};
  // Set to 1 by a sender just before a request whose reply it waits for, cleared after the
  // wait. The receive side releases the reply semaphore only while it is 1.
  std::atomic<int> waitingForReply{0};
  // The page on show; selects the worker's meter request.
  std::atomic<int> meterView{0};
  // Entries the last full read did not get from the device (0 after a complete read).
  std::atomic<int> readMissing{0};
  // The network link's module while a connection to it is open: IPv4 address (most
  // significant byte first) and TCP port; 0 otherwise. For the host's status line.
  std::atomic<uint32_t> peerAddress{0};
  std::atomic<uint16_t> peerPort{0};

  std::atomic<uint32_t> readWait{100};
  std::atomic<uint32_t> batchWait{800};
  std::atomic<uint32_t> ackWait{200};
  std::atomic<uint32_t> silenceTime{1500};
  std::atomic<int> missLimit{4};

  void applyTimings(const LinkTimings& t) {
    constexpr auto r = std::memory_order_relaxed;
    readWait.store(t.readWait, r);
    batchWait.store(t.batchWait, r);
    ackWait.store(t.ackWait, r);
    silenceTime.store(t.silenceTime, r);
    missLimit.store(t.missLimit, r);
  }
  LinkTimings timings() const {
    constexpr auto r = std::memory_order_relaxed;
    return {readWait.load(r), batchWait.load(r), ackWait.load(r), silenceTime.load(r),
            missLimit.load(r)};
  }
};

} // namespace kv816
