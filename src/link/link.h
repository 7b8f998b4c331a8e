#pragma once
// The link core: the one send operation every sender uses, the receive side that turns
// the byte stream of the active transport into packets, and the link's shared state.
// One instance per connection (no globals), so tests may run several side by side.
//
// Threads:
//  - sendPacket: the connection worker only (transports' open and probe routines run on
//    the worker thread too);
//  - onBytesReceived: the receive thread of the active transport;
//  - the accessors: any thread; the objects they return document their own rules.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string_view>

#include "link/device_info.h"
#include "link/failure_record.h"
#include "link/frame_trace.h"
#include "link/link_clock.h"
#include "link/link_state.h"
#include "link/packet_dispatch.h"
#include "link/preset_names.h"
#include "link/receive_buffer.h"
#include "link/reply_semaphore.h"
#include "link/task_flags.h"

namespace kv816 {

class ParameterTable;
class Transport;

class Link {
public:
  using ModuleReplyHandler = std::function<void(std::string_view text)>;

  // Every tick and timed wait of the link and of the worker that drives it comes from
  // `clock`, which must outlive the link. Tests pass one they step by hand.
  explicit Link(ParameterTable& table, LinkClock& clock = steadyClock());
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  ParameterTable& table() { return table_; }
  LinkState& state() { return state_; }
  DeviceInfo& deviceInfo() { return info_; }
  PresetNames& presetNames() { return names_; }
  TaskFlags& taskFlags() { return flags_; }
  ReplySemaphore& replySemaphore() { return reply_; }
  ReceiveBuffer& receiveBuffer() { return buffer_; }
  // Why the transport last failed to reach the device; cleared when it connects.
  FailureRecord& lastFailure() { return failure_; }
  // Every frame sent and every chunk received is recorded here while it is open.
  FrameTrace& trace() { return trace_; }
  LinkClock& clock() { return clock_; }
  // The current millisecond tick; wraps at 2^32 (all tick arithmetic is modular).
  uint32_t now() const { return clock_.ticks(); }

  // The transport sendPacket hands frames to; nullptr drops them. The worker sets it
  // before opening; the transport must outlive its installation.
  void setTransport(Transport* transport) { transport_.store(transport); }
  Transport* transport() const { return transport_.load(); }

  // The module-command code installs the handler for network-module text (reply 0x57,
  // and the network transport's UDP datagrams through deliverModuleReply). Any thread; the
  // handler runs on the thread that delivers and must not call setModuleReplyHandler.
  void setModuleReplyHandler(ModuleReplyHandler handler);
  void deliverModuleReply(std::string_view text);

  // Builds the frame, runs the silence accounting and writes the frame to the transport.
  // Silence accounting: when at least silenceTime ms have passed since the last valid
  // packet and the command is not 0x57, the transport's reconnect probe runs, then
  // missCount counts one miss; a send made with missCount already at missLimit clears
  // `connected` and restarts the count at 0. Reports nothing.
  void sendPacket(uint8_t command, std::span<const uint8_t> payload = {});

  // Appends the chunk to the receive buffer and dispatches every complete valid packet
  // (each resets missCount and lastRxTick; a reply releases the reply semaphore while
  // waitingForReply is 1). Incomplete packets stay buffered for the next chunk.
  void onBytesReceived(std::span<const uint8_t> bytes);

  // Worker helper: sets waitingForReply, sends, waits up to `timeoutMs` on the reply
  // semaphore and clears waitingForReply. True when a reply released the wait. It does not
  // check whether the transport is open.
  bool sendAndWait(uint8_t command, std::span<const uint8_t> payload, uint32_t timeoutMs);

private:
  void countSilence(uint8_t command);
  void handlePacket(uint8_t command, std::span<const uint8_t> payload);

  ParameterTable& table_;
  LinkClock& clock_;
  LinkState state_;
  DeviceInfo info_;
  PresetNames names_;
  TaskFlags flags_;
  ReplySemaphore reply_;
  ReceiveBuffer buffer_;
  FailureRecord failure_;
  FrameTrace trace_;
  std::atomic<Transport*> transport_{nullptr};
  std::atomic<bool> inProbe_{false};

  std::mutex handlerMutex_;
  ModuleReplyHandler moduleReply_;

  std::mutex scanMutex_; // one scan at a time, even while transports are being swapped
  PacketDispatcher dispatcher_;
};

} // namespace kv816
