#include "ui/shell/transport_choice.h"

#include "link/link.h"
#include "sim/sim_loopback.h"

#include <memory>
#include <utility>

namespace kv816 {

TransportFactory makeTransportFactory(TransportHooks hooks, std::shared_ptr<SimulatedDevice> demo) {
  return [hooks = std::move(hooks),
          demo = std::move(demo)](const TransportContext& ctx) -> std::unique_ptr<Transport> {
    if (ctx.config.demoDevice)
      return makeSimTransport(ctx.link, demo ? demo : std::make_shared<SimulatedDevice>(),
                              &ctx.events);
    return makeDeviceTransport(ctx, hooks);
  };
}

} // namespace kv816
