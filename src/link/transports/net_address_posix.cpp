#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <cstring>

#include "link/transports/net_address.h"

namespace kv816 {

std::optional<uint32_t> parseIpv4(const std::string& text) {
  in_addr parsed{};
  if (::inet_pton(AF_INET, text.c_str(), &parsed) != 1)
    return std::nullopt;
  return ntohl(parsed.s_addr);
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

} // namespace kv816
