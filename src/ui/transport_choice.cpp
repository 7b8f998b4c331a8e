#include "ui/transport_choice.h"

#include "link/link.h"
#include "link/transports/device_transports.h"
#include "sim/sim_loopback.h"

#include <memory>

namespace kv816 {

TransportFactory makeTransportFactory() {
  return [](const TransportContext& ctx) -> std::unique_ptr<Transport> {
    if (ctx.config.demoDevice)
      return makeSimTransport(ctx.link, std::make_shared<SimulatedDevice>(), &ctx.events);
    return makeDeviceTransport(ctx);
  };
}

} // namespace kv816
