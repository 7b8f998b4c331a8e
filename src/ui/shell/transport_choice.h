#pragma once
// The transport the program's worker opens: the in-process simulated device when the
// settings ask for the demo device, otherwise the one of the configured link type, which
// asks the host through `hooks` (see GuiTransportHooks).

#include "link/transport_factory.h"
#include "link/transports/device_transports.h"

#include <memory>

namespace kv816 {

class SimulatedDevice;

// `demo` is the simulated device every demo connection reaches, so that it keeps its
// values across a dropped link as a real one does; null makes one per connection.
TransportFactory makeTransportFactory(TransportHooks hooks = {},
                                      std::shared_ptr<SimulatedDevice> demo = nullptr);

} // namespace kv816
