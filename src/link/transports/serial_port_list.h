#pragma once
// The serial ports to try, in order: the ports named in the settings first (pseudo-
// terminals and ports the system does not list), then the system's ports in the order it
// lists them. Each name appears once.
//
// Threads: any; no shared state.

#include <string>
#include <vector>

namespace kv816 {

// The system's serial ports (libserialport; the registry's list on Windows), in the
// system's order; empty when none.
std::vector<std::string> systemSerialPorts();

// `preferred` then `system`, keeping the first of each name and skipping empty names.
std::vector<std::string> mergePortLists(const std::vector<std::string>& preferred,
                                        const std::vector<std::string>& system);

} // namespace kv816
