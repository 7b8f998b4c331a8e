#define ASIO_STANDALONE
#include "api/listen_address.h"

#include <asio/ip/address.hpp>

#include <charconv>
#include <cstdlib>

namespace kv816 {

std::optional<ListenAddress> parseListenAddress(std::string_view text) {
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos)
    return std::nullopt;
  std::string_view host = text.substr(0, colon);
  const std::string_view portText = text.substr(colon + 1);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  unsigned port = 0;
  const auto [end, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (ec != std::errc() || end != portText.data() + portText.size() || portText.empty() ||
      port > 65535)
    return std::nullopt;
  asio::error_code bad;
  asio::ip::make_address(std::string(host), bad);
  if (bad)
    return std::nullopt;
  return ListenAddress{std::string(host), static_cast<uint16_t>(port)};
}

bool isLoopbackAddress(const std::string& host) {
  asio::error_code bad;
  const asio::ip::address address = asio::ip::make_address(host, bad);
  return !bad && address.is_loopback();
}

bool loopbackOnly() {
  const char* value = std::getenv(LOOPBACK_ONLY_ENV);
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

std::string listenRefusal(const std::string& host, bool hasToken, bool loopbackOnlyMode) {
  if (isLoopbackAddress(host))
    return {};
  if (loopbackOnlyMode)
    return std::string(LOOPBACK_ONLY_ENV) + " is set: only loopback addresses (127.0.0.0/8, ::1)";
  if (!hasToken)
    return "listening on " + host + " needs an access token";
  return {};
}

} // namespace kv816
