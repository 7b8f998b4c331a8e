#pragma once
// A WebSocket client for the API tests: connects to 127.0.0.1, sends text, and collects
// what arrives (JSON messages and the close code) on its own thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace kv816::test {

class WsTestClient {
public:
  WsTestClient();
  ~WsTestClient();

  // True once the handshake succeeded within `timeout`.
  bool connect(uint16_t port, const std::map<std::string, std::string>& headers = {},
               std::chrono::milliseconds timeout = std::chrono::seconds(5));
  void send(const std::string& text);
  // The first message that arrived and matches; nothing after `timeout`.
  std::optional<nlohmann::json> next(const std::function<bool(const nlohmann::json&)>& matches,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // The reply to the request with this id.
  std::optional<nlohmann::json> reply(int id,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Sends a request and waits for its reply.
  std::optional<nlohmann::json> call(int id, const std::string& method,
                                     const nlohmann::json& params = nlohmann::json::object());
  // The close code once the server closed the connection; nothing while it is open.
  std::optional<int> waitClosed(std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace kv816::test
