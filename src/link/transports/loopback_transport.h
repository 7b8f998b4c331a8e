#pragma once
// An in-process transport: frames the link writes go to a responder (normally the
// simulated device, see sim/sim_loopback.h) and its replies come back to
// Link::onBytesReceived from this transport's own receive thread, each after its delay,
// in order, as a real receive thread would deliver them.
//
// Threads: open/close/write from the worker thread; isOpen from any thread. The responder
// runs on the worker thread inside write(). close() returns within a few milliseconds.

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "link/delayed_queue.h"
#include "link/transport.h"

namespace kv816 {

class Link;
class LinkEvents;

using LoopbackReply = DelayedBytes;

class LoopbackTransport : public Transport {
public:
  using Responder = std::function<std::vector<LoopbackReply>(std::span<const uint8_t> frame)>;

  // `events` (may be null) receives the link status (4, 1) when the search starts and (4, 0)
  // when the device answered, like the other transports' open routines.
  LoopbackTransport(Link& link, Responder responder, LinkEvents* events = nullptr);
  ~LoopbackTransport() override;

  // Starts the receive thread and probes index 0 every 100 ms until the device answers
  // (true, `connected` set) or workerRun is cleared (false). The pause between probes ends
  // early on a release of the reply hand-off, which the stop operation makes.
  bool open() override;
  void close() override;
  bool isOpen() const override { return running_.load(std::memory_order_relaxed); }
  // Dropped while closed.
  void write(std::span<const uint8_t> frame) override;

private:
  bool probe();

  Link& link_;
  Responder responder_;
  LinkEvents* events_;
  std::atomic<bool> running_{false};
  DelayedQueue replies_; // its thread is this transport's receive thread
};

} // namespace kv816
