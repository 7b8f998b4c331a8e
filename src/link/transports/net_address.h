#pragma once
// IPv4 addresses as the network link uses them: 32-bit numbers, most significant byte
// first (127.0.0.1 is 0x7F000001), this computer's own addresses, and the loopback-only
// safety net.
//
// Threads: any; no shared state.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv816 {

inline constexpr uint32_t LOOPBACK_ADDRESS = 0x7F000001;

// "192.168.1.100" -> 0xC0A80164; nothing for anything that is not a dotted IPv4 address.
std::optional<uint32_t> parseIpv4(const std::string& text);
std::string formatIpv4(uint32_t address);

constexpr bool isLoopback(uint32_t address) {
  return (address >> 24) == 127;
}

// Every IPv4 address of this computer's interfaces, loopback included, in interface order.
std::vector<uint32_t> localIpv4Addresses();
// The first non-loopback one: the computer's address on the installer's network. Falls
// back to 127.0.0.1 when the computer has no other address.
uint32_t primaryLocalAddress(const std::vector<uint32_t>& addresses);

// True while the environment variable KV816_LOOPBACK_ONLY is set to anything but "" or
// "0" (the test runner and CI set it). The network link then refuses every destination
// outside 127.0.0.0/8, before any socket call.
bool loopbackOnlyMode();
// Whether the network link may send to or connect to `address` now.
bool destinationAllowed(uint32_t address);
// The message given when a destination is refused.
std::string refusalText(uint32_t address);

} // namespace kv816
