#include "link/transports/net_address.h"

#include <cstdlib>
#include <cstring>

namespace kv816 {

std::string formatIpv4(uint32_t address) {
  return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
         std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

uint32_t primaryLocalAddress(const std::vector<uint32_t>& addresses) {
  for (uint32_t a : addresses)
    if (!isLoopback(a) && a != 0)
      return a;
  return LOOPBACK_ADDRESS;
}

bool loopbackOnlyMode() {
  const char* value = std::getenv("KV816_LOOPBACK_ONLY");
  return value && *value && std::strcmp(value, "0") != 0;
}

bool destinationAllowed(uint32_t address) {
  return isLoopback(address) || !loopbackOnlyMode();
}

std::string refusalText(uint32_t address) {
  return "KV816_LOOPBACK_ONLY is set: refusing to reach " + formatIpv4(address) +
         " (only 127.0.0.0/8 is allowed)";
}

} // namespace kv816
