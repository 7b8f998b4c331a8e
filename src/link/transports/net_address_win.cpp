// Winsock's headers first: the adapter list's header builds on them.
#include <winsock2.h>

#include <iphlpapi.h>
#include <ws2tcpip.h>

#include <vector>

#include "link/transports/net_address.h"

namespace kv816 {

std::optional<uint32_t> parseIpv4(const std::string& text) {
  in_addr parsed{};
  if (::inet_pton(AF_INET, text.c_str(), &parsed) != 1)
    return std::nullopt;
  return ntohl(parsed.s_addr);
}

// The adapters' unicast IPv4 addresses; the loopback adapter is listed like any other.
std::vector<uint32_t> localIpv4Addresses() {
  std::vector<uint32_t> addresses;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.resize(size);
    result = ::GetAdaptersAddresses(
        AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
        nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  if (result != NO_ERROR)
    return addresses;
  for (auto* a = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next)
    for (const IP_ADAPTER_UNICAST_ADDRESS* u = a->FirstUnicastAddress; u; u = u->Next)
      if (u->Address.lpSockaddr && u->Address.lpSockaddr->sa_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(u->Address.lpSockaddr);
        addresses.push_back(ntohl(in->sin_addr.s_addr));
      }
  return addresses;
}

} // namespace kv816
