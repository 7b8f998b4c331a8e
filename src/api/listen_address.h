#pragma once
// Where a remote-control server listens: "ADDRESS:PORT" ("127.0.0.1:18160", "[::1]:18160")
// and the rules for it: loopback by default, any other address only with a token, and
// never while KV816_LOOPBACK_ONLY is set. Pure functions; any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv816 {

inline constexpr const char* LOOPBACK_ONLY_ENV = "KV816_LOOPBACK_ONLY";

struct ListenAddress {
  std::string host; // a numeric IPv4 or IPv6 address
  uint16_t port = 0;
};

// Nothing when the text is not a numeric address with a port 0..65535.
std::optional<ListenAddress> parseListenAddress(std::string_view text);

bool isLoopbackAddress(const std::string& host);

// Whether the environment restricts every socket to loopback.
bool loopbackOnly();

// Why the server may not listen on `host`; empty when it may. `hasToken`: a token is set.
std::string listenRefusal(const std::string& host, bool hasToken, bool loopbackOnlyMode);

} // namespace kv816
