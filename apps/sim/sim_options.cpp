#include "sim_options.h"

#include "sim/net_endpoints.h"

namespace kv816 {

bool parseHostPort(const std::string& text, HostPort& out) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size())
    return false;
  const std::string port = text.substr(colon + 1);
  if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const unsigned long number = std::stoul(port);
  if (number > 65535)
    return false;
  out.host = text.substr(0, colon);
  out.port = static_cast<uint16_t>(number);
  return true;
}

namespace {

std::string checkHost(const char* what, const std::optional<HostPort>& where, bool allowAny) {
  if (!where)
    return {};
  uint32_t address = 0;
  if (!parseIpv4(where->host, address))
    return std::string(what) + ": " + where->host + " is not an IPv4 address";
  if (!allowAny && !isLoopback(address))
    return std::string(what) + ": " + where->host +
           " is outside 127.0.0.0/8; pass --allow-non-loopback to serve a real network";
  return {};
}

} // namespace

std::string validate(const SimOptions& o) {
  if (o.ptyPath.empty() && !o.tcp && !o.udp)
    return "nothing to serve: give --pty, --tcp or --udp";
  if (auto e = checkHost("--tcp", o.tcp, o.allowNonLoopback); !e.empty())
    return e;
  return checkHost("--udp", o.udp, o.allowNonLoopback);
}

} // namespace kv816
