#pragma once
// The transport the program's worker opens: the in-process simulated device when the
// settings ask for the demo device, otherwise the one of the configured link type, which
// asks the host through `hooks` (see GuiTransportHooks).

#include "link/transport_factory.h"
#include "link/transports/device_transports.h"

namespace kv816 {

TransportFactory makeTransportFactory(TransportHooks hooks = {});

} // namespace kv816
