#include "link/link.h"

#include <chrono>
#include <utility>

#include "link/frame_scanner.h"
#include "link/packet.h"
#include "link/transport.h"
#include "model/parameter_table.h"

namespace kv816 {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
} // namespace

Link::Link(ParameterTable& table, LinkClock& clock)
    : table_(table), clock_(clock), reply_(clock),
      dispatcher_(table_, info_, names_, flags_,
                  [this](std::string_view text) { deliverModuleReply(text); }) {}

void Link::setModuleReplyHandler(ModuleReplyHandler handler) {
  std::lock_guard lock(handlerMutex_);
  moduleReply_ = std::move(handler);
}

void Link::deliverModuleReply(std::string_view text) {
  ModuleReplyHandler handler;
  {
    std::lock_guard lock(handlerMutex_);
    handler = moduleReply_;
  }
  if (handler)
    handler(text);
}

void Link::sendPacket(uint8_t command, std::span<const uint8_t> payload) {
  const std::vector<uint8_t> frame = buildFrame(command, payload);
  countSilence(command);
  if (Transport* t = transport_.load()) {
    trace_.record(TraceDirection::Out, frame);
    t->write(frame);
  }
}

// Counts a send made while the device has been silent; module text does not count, as
// the module answers it itself even when the processor behind it is gone.
void Link::countSilence(uint8_t command) {
  if (command == cmd::MODULE_TEXT)
    return;
  const uint32_t silent = now() - state_.lastRxTick.load(relaxed);
  if (silent < state_.silenceTime.load(relaxed))
    return;
  Transport* t = transport_.load();
  if (t && !inProbe_.exchange(true)) {
    t->reconnectProbe();
    inProbe_.store(false);
  }
  const uint8_t before = state_.missCount.fetch_add(1, relaxed);
  if (before >= state_.missLimit.load(relaxed)) {
    state_.connected.store(false, relaxed);
    state_.missCount.store(0, relaxed);
  }
}

void Link::onBytesReceived(std::span<const uint8_t> bytes) {
  std::lock_guard scan(scanMutex_);
  trace_.record(TraceDirection::In, bytes);
  buffer_.append(bytes);
  // The shortest packet (no payload) is five bytes; it is handled as soon as it is whole.
  if (buffer_.size() < MIN_FRAME_SIZE)
    return;
  scanReceived(buffer_, [this](uint8_t command, std::span<const uint8_t> payload) {
    handlePacket(command, payload);
  });
}

void Link::handlePacket(uint8_t command, std::span<const uint8_t> payload) {
  state_.missCount.store(0, relaxed);
  state_.lastRxTick.store(now(), relaxed);
  if (dispatcher_.dispatch(command, payload) && state_.waitingForReply.load(relaxed) == 1)
    reply_.release();
}

bool Link::sendAndWait(uint8_t command, std::span<const uint8_t> payload, uint32_t timeoutMs) {
  state_.waitingForReply.store(1, relaxed);
  sendPacket(command, payload);
  const bool answered = reply_.waitFor(std::chrono::milliseconds(timeoutMs));
  state_.waitingForReply.store(0, relaxed);
  return answered;
}

} // namespace kv816
