#pragma once
// The WebSocket side of the remote API: listens on one address (path "/"), admits at most
// MAX_CLIENTS clients, closes a client that sends a message over MAX_MESSAGE bytes, answers
// a client over its rate with an error, and, when a token is set, closes a client that
// neither sent it in the Authorization header ("Bearer TOKEN") nor in its first message
// ({"method": "auth", "params": {"token": "TOKEN"}}). Everything else goes to the handlers.
//
// Threads: the server runs its own network thread; the handlers are called on it and must
// hand the work on (to the editing thread) without blocking. send and close: any thread.
// start and stop: the host thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kv816 {

struct WebSocketOptions {
  std::string address = "127.0.0.1";
  uint16_t port = 18160; // 0: any free port (see WebSocketServer::port)
  std::string token;     // empty: no token asked (loopback only)
  double messagesPerSecond = 200;
  double messageBurst = 200;
};

struct WebSocketHandlers {
  std::function<void(int client)> opened;
  std::function<void(int client, std::string text)> message;
  std::function<void(int client)> closed;
};

class WebSocketServer {
public:
  static constexpr std::size_t MAX_MESSAGE = 64 * 1024;
  static constexpr int MAX_CLIENTS = 8;

  WebSocketServer(WebSocketOptions options, WebSocketHandlers handlers);
  ~WebSocketServer();
  WebSocketServer(const WebSocketServer&) = delete;
  WebSocketServer& operator=(const WebSocketServer&) = delete;

  // Binds and starts the network thread. False with `error` set when the address is refused
  // (see listenRefusal) or cannot be bound.
  bool start(std::string& error);
  // Closes every client and ends the network thread. Safe to call twice.
  void stop();
  // The bound port (the chosen one when the options asked for 0).
  uint16_t port() const;

  // Queues a text message to the client; dropped when the client has gone.
  void send(int client, std::string text);

private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace kv816
