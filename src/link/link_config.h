#pragma once
// The link settings read from Configuration.ini when the connection worker starts.
// Pure data: the settings code in presets fills one in, tests build one by hand.

#include <cstdint>
#include <string>
#include <vector>

#include "link/link_state.h"

namespace kv816 {

// LINK_USB, LINK_NETWORK, LINK_BLUETOOTH come from the link's own state header, so that
// both headers can meet in one translation unit.
inline constexpr int DEFAULT_BAUD_RATE = 115200;
inline constexpr uint16_t DEFAULT_NET_PORT = 1010;

struct LinkConfig {
  int linkType = LINK_USB;
  int baudRate = DEFAULT_BAUD_RATE;
  // Serial port paths tried before the system's own list, in this order.
  std::vector<std::string> serialPorts;
  // Discovery: "Get_IP:" goes to the broadcast address, then (when netSweep is on) to .2-.254
  // of the /24 of netSweepBase (empty: this computer's own address).
  std::string netBroadcastAddress = "255.255.255.255";
  bool netSweep = true;
  std::string netSweepBase;
  uint16_t netUdpPort = DEFAULT_NET_PORT;      // the module's UDP port
  uint16_t netLocalUdpPort = DEFAULT_NET_PORT; // the UDP port bound on this computer
  uint16_t netTcpPort = DEFAULT_NET_PORT;      // the module's TCP port
  // Run the simulated device in-process instead of opening a real link.
  bool demoDevice = false;
};

} // namespace kv816
