#include "link/transports/device_transports.h"

#include "link/transports/hid_transport.h"
#include "link/transports/net_transport.h"

namespace kv816 {

NetSettings netSettingsFrom(const LinkConfig& config, const TransportHooks& hooks) {
  NetSettings net;
  net.broadcastAddress = config.netBroadcastAddress;
  net.sweep = config.netSweep;
  net.sweepBase = config.netSweepBase;
  net.udpPort = config.netUdpPort;
  net.localUdpPort = config.netLocalUdpPort;
  net.tcpPort = config.netTcpPort;
  net.chooseModule = hooks.chooseModule;
  net.notice = hooks.notice;
  return net;
}

SerialSettings serialSettingsFrom(const LinkConfig& config) {
  SerialSettings serial;
  serial.baudRate = config.baudRate > 0 ? config.baudRate : DEFAULT_BAUD_RATE;
  serial.preferredPorts = config.serialPorts;
  return serial;
}

std::unique_ptr<Transport> makeDeviceTransport(const TransportContext& context,
                                               const TransportHooks& hooks) {
  switch (context.config.linkType) {
  case LINK_USB:
    return std::make_unique<HidTransport>(context.link, makeHidapiBackend(), &context.events);
  case LINK_NETWORK:
    return std::make_unique<NetTransport>(context.link, context.modules, &context.events,
                                          netSettingsFrom(context.config, hooks));
  default:
    return std::make_unique<SerialTransport>(context.link, &context.events,
                                             serialSettingsFrom(context.config));
  }
}

TransportFactory deviceTransportFactory(TransportHooks hooks) {
  return [hooks = std::move(hooks)](const TransportContext& context) {
    return makeDeviceTransport(context, hooks);
  };
}

} // namespace kv816
