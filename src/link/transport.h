#pragma once
// The one interface every device transport implements (USB HID, network, serial or
// Bluetooth COM port, the in-process loopback to the simulated device).
//
// A transport is created with a reference to the Link it feeds. Its receive thread calls
// Link::onBytesReceived with every chunk it reads, in order, and never anything else of
// the codec. The connection worker installs the active transport with Link::setTransport
// and drives open/close; Link::sendPacket hands finished frames to write().

#include <cstdint>
#include <span>

namespace kv816 {

class Transport {
public:
  virtual ~Transport() = default;

  // Worker thread. Opens the link and loops on its own until the device answers a read of
  // index 0 (then sets LinkState::connected and returns true) or LinkState::workerRun is
  // cleared (returns false). Sends its probes through Link::sendPacket.
  virtual bool open() = 0;

  // Worker thread (also the stop operation). Ends the receive thread and releases the
  // device; safe to call when already closed. Must not block for more than about 2 s.
  virtual void close() = 0;

  // Any thread. The "open test" the worker runs before every reply wait: USB, the receive
  // thread is running; network, LinkState::connected; serial, the port is open.
  virtual bool isOpen() const = 0;

  // Worker thread, from Link::sendPacket: writes the whole frame (the frame is freed once
  // this returns). Failures are not reported: a closed port drops the frame, a failed
  // network send closes the socket so that the probe reconnects.
  virtual void write(std::span<const uint8_t> frame) = 0;

  // Worker thread, from Link::sendPacket's silence accounting, before a miss is counted.
  // The network transport reconnects and re-reads index 0 here; every other transport
  // does nothing. It must write its probe frames with its own send, not through
  // Link::sendPacket (the link ignores re-entrant probes anyway).
  virtual void reconnectProbe() {}
};

} // namespace kv816
