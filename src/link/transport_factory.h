#pragma once
// How the connection worker gets its transport: the host hands the worker a factory that
// builds the transport for the configured link type (USB, network, serial, Bluetooth, or
// the in-process simulator in demo mode and tests).

#include <functional>
#include <memory>

#include "link/link_config.h"

namespace kv816 {

class Link;
class LinkEvents;
class ModuleCommands;
class Transport;

// Everything a transport may need; the references outlive the transport.
struct TransportContext {
  Link& link;
  ModuleCommands& modules; // the network transport's discovery thread sends and answers them
  LinkEvents& events;      // link status (4, x) and modules found (10, n)
  const LinkConfig& config;
};

// Called once per worker run on the worker thread, after the configuration was read.
// Returns nullptr when no transport can be made; the worker then waits for stop.
using TransportFactory = std::function<std::unique_ptr<Transport>(const TransportContext&)>;

} // namespace kv816
