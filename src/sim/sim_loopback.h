#pragma once
// A simulated device in-process, behind a LoopbackTransport: the GUI's demo mode and the
// link tests. Owns the device (or borrows one) and the transport that feeds its replies to
// the link. Install transport() on the link like any other transport.
//
// Threads: as LoopbackTransport; device() may be inspected from any thread.

#include <memory>

#include "link/transports/loopback_transport.h"
#include "sim/simulated_device.h"

namespace kv816 {

class Link;
class LinkEvents;

// The responder that hands the link's frames to `device`; the device must outlive it.
LoopbackTransport::Responder deviceResponder(SimulatedDevice& device);

// A loopback transport that keeps `device` alive for as long as it exists: what a
// TransportFactory returns for the demo device. The host may keep its own pointer to the
// device to inspect it.
std::unique_ptr<LoopbackTransport>
makeSimTransport(Link& link, std::shared_ptr<SimulatedDevice> device, LinkEvents* events = nullptr);

class SimLoopback {
public:
  explicit SimLoopback(Link& link, SimConfig config = {}, LinkEvents* events = nullptr);
  SimLoopback(Link& link, SimulatedDevice& device, LinkEvents* events = nullptr);

  SimulatedDevice& device() { return *device_; }
  LoopbackTransport& transport() { return transport_; }

private:
  std::unique_ptr<SimulatedDevice> owned_;
  SimulatedDevice* device_;
  LoopbackTransport transport_;
};

} // namespace kv816
