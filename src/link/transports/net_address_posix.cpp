#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <cstdlib>
#include <cstring>

#include "link/transports/net_address.h"

namespace kv816 {

std::optional<uint32_t> parseIpv4(const std::string& text) {
  in_addr parsed{};
  if (::inet_pton(AF_INET, text.c_str(), &parsed) != 1)
    return std::nullopt;
  return ntohl(parsed.s_addr);
}

std::string formatIpv4(uint32_t address) {
  return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
         std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::vector<uint32_t> localIpv4Addresses() {
  std::vector<uint32_t> addresses;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0)
    return addresses;
  for (const ifaddrs* i = list; i; i = i->ifa_next)
    if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET) {
      sockaddr_in in{};
      std::memcpy(&in, i->ifa_addr, sizeof in);
      addresses.push_back(ntohl(in.sin_addr.s_addr));
    }
  ::freeifaddrs(list);
  return addresses;
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
