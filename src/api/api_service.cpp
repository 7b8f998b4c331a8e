#include "api/api_service.h"

namespace kv816 {

ApiService::ApiService(ApiHost& host, WebSocketOptions options, Post post)
    : post_(std::move(post)), handler_(host), server_(std::move(options), handlers()) {}

ApiService::~ApiService() {
  server_.stop();
}

WebSocketHandlers ApiService::handlers() {
  WebSocketHandlers h;
  h.opened = [this](int client) {
    post_([this, client] {
      handler_.addClient(client,
                         [this, client](const std::string& text) { server_.send(client, text); });
    });
  };
  h.message = [this](int client, std::string text) {
    post_([this, client, text = std::move(text)] {
      std::string reply = handler_.handle(client, text);
      if (!reply.empty())
        server_.send(client, std::move(reply));
    });
  };
  h.closed = [this](int client) { post_([this, client] { handler_.removeClient(client); }); };
  return h;
}

} // namespace kv816
