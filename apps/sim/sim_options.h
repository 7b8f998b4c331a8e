#pragma once
// kv816-sim's command line.

#include <cstdint>
#include <optional>
#include <string>

#include "sim/simulated_device.h"

namespace kv816 {

struct HostPort {
  std::string host;
  uint16_t port = 0;
};

struct SimOptions {
  std::string ptyPath;
  std::optional<HostPort> tcp;
  std::optional<HostPort> udp;
  bool allowNonLoopback = false;
  SimConfig device;
  std::string logPath;
  std::string stateOutPath;
  std::string stateInPath;
  std::string replayPath; // answer as this packet trace recorded
};

// Splits "HOST:PORT"; false when the port is missing or not 0..65535.
bool parseHostPort(const std::string& text, HostPort& out);

// Checks what the parser cannot: at least one endpoint, loopback-only addresses unless
// allowed. Returns an empty string when the options are usable, else the complaint.
std::string validate(const SimOptions& options);

} // namespace kv816
