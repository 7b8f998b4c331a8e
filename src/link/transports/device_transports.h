#pragma once
// The transport factory for real devices: USB HID, network, serial or Bluetooth serial by
// the configured link type. The host hands it to the connection worker (wrapped with its
// hooks); the demo device's in-process transport is the host's own business.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/transport_factory.h"
#include "link/transports/net_settings.h"
#include "link/transports/serial_transport.h"

namespace kv816 {

// What only the host can supply.
struct TransportHooks {
  // Network: picks a module when several answered (see NetSettings::chooseModule).
  std::function<uint32_t(const std::vector<uint32_t>& modules)> chooseModule;
  // Network: one-line notices for the status line or terminal (see NetSettings::notice).
  std::function<void(const std::string& text)> notice;
};

NetSettings netSettingsFrom(const LinkConfig& config, const TransportHooks& hooks = {});
SerialSettings serialSettingsFrom(const LinkConfig& config);

// USB for LINK_USB, network for LINK_NETWORK, serial for every other value. Worker thread.
std::unique_ptr<Transport> makeDeviceTransport(const TransportContext& context,
                                               const TransportHooks& hooks = {});
// The factory to give the connection worker.
TransportFactory deviceTransportFactory(TransportHooks hooks = {});

} // namespace kv816
