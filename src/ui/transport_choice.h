#pragma once
// The transport the program's worker opens: the in-process simulated device when the
// settings ask for the demo device, otherwise the one of the configured link type.

#include "link/transport_factory.h"

namespace kv816 {

TransportFactory makeTransportFactory();

} // namespace kv816
