#include "ui/shell/transport_choice.h"

#include "link/link.h"
#include "sim/sim_loopback.h"

#include <memory>
#include <utility>

namespace kv816 {

TransportFactory makeTransportFactory(TransportHooks hooks) {
  return [hooks = std::move(hooks)](const TransportContext& ctx) -> std::unique_ptr<Transport> {
    if (ctx.config.demoDevice)
      return makeSimTransport(ctx.link, std::make_shared<SimulatedDevice>(), &ctx.events);
    return makeDeviceTransport(ctx, hooks);
  };
}

} // namespace kv816
