#include "link/transports/loopback_transport.h"

#include "link/link.h"
#include "link/link_events.h"
#include "link/packet.h"
#include "model/parameter_table.h"

namespace kv816 {
namespace {
constexpr auto PROBE_WAIT = std::chrono::milliseconds(500);
constexpr auto RETRY_PAUSE = std::chrono::milliseconds(100);
} // namespace

LoopbackTransport::LoopbackTransport(Link& link, Responder responder, LinkEvents* events)
    : link_(link), responder_(std::move(responder)), events_(events),
      replies_([this](std::span<const uint8_t> bytes) { link_.onBytesReceived(bytes); },
               link.clock()) {}

LoopbackTransport::~LoopbackTransport() {
  close();
}

bool LoopbackTransport::open() {
  close();
  running_.store(true, std::memory_order_relaxed);
  replies_.start();
  LinkState& state = link_.state();
  if (events_)
    events_->send(Notify::LinkStatus, LINK_LOST);
  while (state.workerRun.load(std::memory_order_relaxed)) {
    if (probe()) {
      if (events_)
        events_->send(Notify::LinkStatus, LINK_FOUND);
      state.connected.store(true, std::memory_order_relaxed);
      return true;
    }
    // The pause waits on the reply hand-off: the stop operation's release ends it at once.
    if (state.workerRun.load(std::memory_order_relaxed))
      link_.replySemaphore().waitFor(RETRY_PAUSE);
  }
  return false;
}

// A read of index 0: the device is there when entry 0 comes back.
bool LoopbackTransport::probe() {
  ParameterTable& table = link_.table();
  table.record(IDX_DEVICE_ID).uiRefresh.store(0, std::memory_order_relaxed);
  const uint8_t readIndex0[] = {0x00, 0x00};
  link_.sendAndWait(cmd::READ, readIndex0, static_cast<uint32_t>(PROBE_WAIT.count()));
  return table.uiRefresh(IDX_DEVICE_ID);
}

void LoopbackTransport::close() {
  replies_.stop();
  if (running_.exchange(false, std::memory_order_relaxed))
    link_.state().connected.store(false, std::memory_order_relaxed);
}

void LoopbackTransport::write(std::span<const uint8_t> frame) {
  if (!isOpen() || !responder_)
    return;
  replies_.push(responder_(frame));
}

} // namespace kv816
