#include "ctl/transports.h"

#include <cstdio>
#include <memory>

#include "link/link.h"
#include "link/transports/device_transports.h"
#include "link/transports/serial_transport.h"
#include "sim/sim_loopback.h"

namespace kv816 {

TransportFactory makeCtlTransportFactory(const std::string& onlyPort) {
  TransportHooks hooks;
  // Several modules answered: a script cannot choose, so the first one found is used.
  hooks.chooseModule = [](const std::vector<uint32_t>& modules) {
    return modules.empty() ? 0u : modules.front();
  };
  hooks.notice = [](const std::string& text) {
    std::fprintf(stderr, "kv816ctl: %s\n", text.c_str());
  };
  return [onlyPort, hooks](const TransportContext& ctx) -> std::unique_ptr<Transport> {
    const LinkConfig& config = ctx.config;
    if (config.demoDevice)
      return makeSimTransport(ctx.link, std::make_shared<SimulatedDevice>(), &ctx.events);
    const bool serial = config.linkType != LINK_USB && config.linkType != LINK_NETWORK;
    if (!serial || onlyPort.empty())
      return makeDeviceTransport(ctx, hooks);
    SerialSettings settings = serialSettingsFrom(config);
    settings.preferredPorts = {onlyPort};
    settings.listSystemPorts = [] { return std::vector<std::string>{}; };
    return std::make_unique<SerialTransport>(ctx.link, &ctx.events, settings);
  };
}

} // namespace kv816
