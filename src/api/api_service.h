#pragma once
// The remote API as a host runs it: the WebSocket server and the JSON-RPC handler, joined
// so that every message is handled on the editing thread. The host gives the function that
// runs a job there (a job queue, or a queued call in the GUI) and keeps calling poll().
//
// Threads: construct, start, stop, poll and onDeviceChanged on the editing thread. The
// host must stop the service, and drop the jobs it has not run yet, before destroying it.

#include <functional>
#include <string>

#include "api/rpc_handler.h"
#include "api/websocket_server.h"

namespace kv816 {

class ApiService {
public:
  using Post = std::function<void(std::function<void()> job)>;

  ApiService(ApiHost& host, WebSocketOptions options, Post post);
  ~ApiService();
  ApiService(const ApiService&) = delete;
  ApiService& operator=(const ApiService&) = delete;

  bool start(std::string& error) { return server_.start(error); }
  void stop() { server_.stop(); }
  uint16_t port() const { return server_.port(); }

  void onDeviceChanged(int index) { handler_.onDeviceChanged(index); }
  void poll(RpcHandler::Clock::time_point now = RpcHandler::Clock::now()) { handler_.poll(now); }
  RpcHandler& handler() { return handler_; }

private:
  WebSocketHandlers handlers();

  Post post_;
  RpcHandler handler_;
  WebSocketServer server_;
};

} // namespace kv816
