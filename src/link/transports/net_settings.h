#pragma once
// Where the network link looks for the device's WiFi module. Every address and port is a
// setting (Configuration.ini); tests and demos point them at loopback.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kv816 {

struct NetSettings {
  // "Get_IP:" goes here first (NetBroadcastAddress).
  std::string broadcastAddress = "255.255.255.255";
  // Then to .2-.254 of the /24 of sweepBase (NetSweep, NetSweepBase; an empty base means
  // this computer's address).
  bool sweep = true;
  std::string sweepBase;
  uint16_t udpPort = 1010;      // the module's UDP port (NetUdpPort)
  uint16_t localUdpPort = 1010; // bound on this computer; 0 = any (NetLocalUdpPort)
  uint16_t tcpPort = 1010;      // the module's TCP port (NetTcpPort)

  // Called on the worker thread after (10, count) was sent when several modules answered:
  // returns the module to connect to. Unset: the module that answered last.
  std::function<uint32_t(const std::vector<uint32_t>& modules)> chooseModule;
  // One-line notices (a refused destination, the fallback to another local port) for the
  // status line or the terminal; each distinct notice is given once. Unset: standard error.
  std::function<void(const std::string& text)> notice;

  std::chrono::milliseconds probeWait{5000};   // answer to the read of index 0 after connecting
  std::chrono::milliseconds connectWait{3000}; // TCP connect
};

} // namespace kv816
