#pragma once
// The transport kv816ctl's worker opens: the in-process simulated device for --demo,
// otherwise the one of the configured link type.

#include <string>

#include "link/transport_factory.h"

namespace kv816 {

// `onlyPort`: a serial or Bluetooth port given on the command line; when set, no other
// port is tried.
TransportFactory makeCtlTransportFactory(const std::string& onlyPort);

} // namespace kv816
