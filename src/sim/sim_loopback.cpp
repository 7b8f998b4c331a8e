#include "sim/sim_loopback.h"

namespace kv816 {

LoopbackTransport::Responder deviceResponder(SimulatedDevice& device) {
  return [&device](std::span<const uint8_t> frame) {
    std::vector<LoopbackReply> replies;
    for (OutgoingFrame& f : device.receive(frame))
      replies.push_back({std::move(f.bytes), f.delay});
    return replies;
  };
}

std::unique_ptr<LoopbackTransport>
makeSimTransport(Link& link, std::shared_ptr<SimulatedDevice> device, LinkEvents* events) {
  LoopbackTransport::Responder responder = [device](std::span<const uint8_t> frame) {
    return deviceResponder(*device)(frame);
  };
  return std::make_unique<LoopbackTransport>(link, std::move(responder), events);
}

SimLoopback::SimLoopback(Link& link, SimConfig config, LinkEvents* events)
    : owned_(std::make_unique<SimulatedDevice>(config)), device_(owned_.get()),
      transport_(link, deviceResponder(*device_), events) {}

SimLoopback::SimLoopback(Link& link, SimulatedDevice& device, LinkEvents* events)
    : device_(&device), transport_(link, deviceResponder(device), events) {}

} // namespace kv816
