// Built as C++17: the WebSocket library's headers do not compile as C++20.
#define ASIO_STANDALONE
#include "api/websocket_server.h"

#include <websocketpp/config/asio_no_tls.hpp>
#include <websocketpp/server.hpp>

#include <atomic>
#include <map>
#include <thread>

#include <nlohmann/json.hpp>

#include "api/listen_address.h"
#include "api/rate_limiter.h"
#include "api/rpc_handler.h"

namespace kv816 {

namespace {
using Endpoint = websocketpp::server<websocketpp::config::asio>;
using Handle = websocketpp::connection_hdl;
namespace close_code = websocketpp::close::status;

bool sameToken(const std::string& a, const std::string& b) {
  // Compares every byte whatever the first difference, so timing tells nothing.
  unsigned diff = a.size() == b.size() ? 0u : 1u;
  for (size_t i = 0; i < a.size(); ++i)
    diff |= static_cast<unsigned>(a[i] ^ (i < b.size() ? b[i] : 0));
  return diff == 0;
}
} // namespace

class WebSocketServer::Impl {
public:
  Impl(WebSocketOptions options, WebSocketHandlers handlers)
      : options_(std::move(options)), handlers_(std::move(handlers)) {}

  bool start(std::string& error);
  void stop();
  uint16_t port() const { return port_.load(); }
  void send(int client, std::string text);

private:
  struct Client {
    Handle handle;
    bool authorized;
    RateLimiter limiter;
  };

  bool validate(Handle handle);
  void opened(Handle handle);
  void closed(Handle handle);
  void received(Handle handle, Endpoint::message_ptr message);
  void authorize(Client& client, const std::string& text);
  int idOf(Handle handle) const;
  void sendNow(Handle handle, const std::string& text);

  WebSocketOptions options_;
  WebSocketHandlers handlers_;
  Endpoint endpoint_;
  std::thread thread_;
  std::atomic<uint16_t> port_{0};
  bool started_ = false;
  // Network thread only.
  std::map<int, Client> clients_;
  std::map<Handle, int, std::owner_less<Handle>> ids_;
  std::map<Handle, bool, std::owner_less<Handle>> headerAuthorized_;
  int nextId_ = 1;
};

bool WebSocketServer::Impl::start(std::string& error) {
  error = listenRefusal(options_.address, !options_.token.empty(), loopbackOnly());
  if (!error.empty())
    return false;
  asio::error_code ec;
  const asio::ip::address address = asio::ip::make_address(options_.address, ec);
  if (ec) {
    error = "not a numeric address: " + options_.address;
    return false;
  }
  endpoint_.clear_access_channels(websocketpp::log::alevel::all);
  endpoint_.clear_error_channels(websocketpp::log::elevel::all);
  endpoint_.init_asio(ec);
  endpoint_.set_reuse_addr(true);
  endpoint_.set_max_message_size(MAX_MESSAGE);
  endpoint_.set_validate_handler([this](Handle h) { return validate(h); });
  endpoint_.set_open_handler([this](Handle h) { opened(h); });
  endpoint_.set_close_handler([this](Handle h) { closed(h); });
  endpoint_.set_fail_handler([this](Handle h) { headerAuthorized_.erase(h); });
  endpoint_.set_message_handler(
      [this](Handle h, Endpoint::message_ptr m) { received(h, std::move(m)); });
  endpoint_.listen(asio::ip::tcp::endpoint(address, options_.port), ec);
  if (!ec)
    endpoint_.start_accept(ec);
  if (ec) {
    error = "cannot listen on " + options_.address + ":" + std::to_string(options_.port) + ": " +
            ec.message();
    return false;
  }
  asio::error_code local;
  port_ = endpoint_.get_local_endpoint(local).port();
  thread_ = std::thread([this] { endpoint_.run(); });
  started_ = true;
  return true;
}

void WebSocketServer::Impl::stop() {
  if (!started_)
    return;
  started_ = false;
  asio::post(endpoint_.get_io_service(), [this] {
    asio::error_code ec;
    endpoint_.stop_listening(ec);
    for (auto& [id, client] : clients_)
      endpoint_.close(client.handle, close_code::going_away, "server stopping", ec);
  });
  // Give the closing handshakes a moment, then end whatever is left.
  asio::steady_timer timer(endpoint_.get_io_service(), std::chrono::milliseconds(500));
  timer.async_wait([this](const asio::error_code&) { endpoint_.stop(); });
  thread_.join();
}

bool WebSocketServer::Impl::validate(Handle handle) {
  Endpoint::connection_ptr con = endpoint_.get_con_from_hdl(handle);
  if (con->get_resource() != "/") {
    con->set_status(websocketpp::http::status_code::not_found);
    return false;
  }
  if (static_cast<int>(clients_.size()) >= MAX_CLIENTS) {
    con->set_status(websocketpp::http::status_code::service_unavailable);
    return false;
  }
  const std::string header = con->get_request_header("Authorization");
  if (header.empty()) {
    headerAuthorized_[handle] = options_.token.empty();
    return true;
  }
  const std::string prefix = "Bearer ";
  const bool good = !options_.token.empty() && header.rfind(prefix, 0) == 0 &&
                    sameToken(header.substr(prefix.size()), options_.token);
  if (!good && !options_.token.empty()) {
    con->set_status(websocketpp::http::status_code::unauthorized);
    return false;
  }
  headerAuthorized_[handle] = true;
  return true;
}

void WebSocketServer::Impl::opened(Handle handle) {
  const auto it = headerAuthorized_.find(handle);
  const bool authorized = it != headerAuthorized_.end() && it->second;
  headerAuthorized_.erase(handle);
  asio::error_code ec;
  if (static_cast<int>(clients_.size()) >= MAX_CLIENTS) {
    endpoint_.close(handle, close_code::try_again_later, "too many clients", ec);
    return;
  }
  const int id = nextId_++;
  clients_.emplace(id, Client{handle, authorized,
                              RateLimiter(options_.messagesPerSecond, options_.messageBurst)});
  ids_[handle] = id;
  if (handlers_.opened)
    handlers_.opened(id);
}

void WebSocketServer::Impl::closed(Handle handle) {
  const int id = idOf(handle);
  if (id == 0)
    return;
  ids_.erase(handle);
  clients_.erase(id);
  if (handlers_.closed)
    handlers_.closed(id);
}

void WebSocketServer::Impl::received(Handle handle, Endpoint::message_ptr message) {
  const int id = idOf(handle);
  const auto it = clients_.find(id);
  if (it == clients_.end())
    return;
  Client& client = it->second;
  const std::string& text = message->get_payload();
  if (!client.limiter.take()) {
    sendNow(handle,
            rpcError(nullptr, rpc::RATE_LIMITED, "too many messages; this one was not handled"));
    return;
  }
  if (!client.authorized) {
    authorize(client, text);
    return;
  }
  const nlohmann::json request = nlohmann::json::parse(text, nullptr, false);
  if (request.is_object() && request.value("method", nlohmann::json()) == "auth") {
    sendNow(handle, nlohmann::json{{"jsonrpc", "2.0"},
                                   {"id", request.value("id", nlohmann::json())},
                                   {"result", {{"authorized", true}}}}
                        .dump());
    return;
  }
  if (handlers_.message)
    handlers_.message(id, text);
}

// The first message of a client that did not send the token in its header must carry it.
void WebSocketServer::Impl::authorize(Client& client, const std::string& text) {
  const nlohmann::json request = nlohmann::json::parse(text, nullptr, false);
  const bool isAuth = request.is_object() && request.value("method", nlohmann::json()) == "auth";
  const nlohmann::json requestId =
      request.is_object() ? request.value("id", nlohmann::json()) : nlohmann::json();
  const nlohmann::json params = isAuth ? request.value("params", nlohmann::json()) : nullptr;
  const bool good = params.is_object() && params.value("token", nlohmann::json()).is_string() &&
                    sameToken(params["token"].get<std::string>(), options_.token);
  Handle handle = client.handle;
  if (!good) {
    sendNow(handle, rpcError(requestId, rpc::UNAUTHORIZED, "a valid token is needed"));
    asio::error_code ec;
    endpoint_.close(handle, close_code::policy_violation, "a valid token is needed", ec);
    return;
  }
  client.authorized = true;
  sendNow(handle,
          nlohmann::json{{"jsonrpc", "2.0"}, {"id", requestId}, {"result", {{"authorized", true}}}}
              .dump());
}

int WebSocketServer::Impl::idOf(Handle handle) const {
  const auto it = ids_.find(handle);
  return it == ids_.end() ? 0 : it->second;
}

void WebSocketServer::Impl::sendNow(Handle handle, const std::string& text) {
  asio::error_code ec;
  endpoint_.send(handle, text, websocketpp::frame::opcode::text, ec);
}

void WebSocketServer::Impl::send(int client, std::string text) {
  asio::post(endpoint_.get_io_service(), [this, client, text = std::move(text)] {
    const auto it = clients_.find(client);
    if (it != clients_.end() && it->second.authorized)
      sendNow(it->second.handle, text);
  });
}

WebSocketServer::WebSocketServer(WebSocketOptions options, WebSocketHandlers handlers)
    : impl_(std::make_unique<Impl>(std::move(options), std::move(handlers))) {}

WebSocketServer::~WebSocketServer() {
  stop();
}

bool WebSocketServer::start(std::string& error) {
  return impl_->start(error);
}
void WebSocketServer::stop() {
  impl_->stop();
}
uint16_t WebSocketServer::port() const {
  return impl_->port();
}
void WebSocketServer::send(int client, std::string text) {
  impl_->send(client, std::move(text));
}

} // namespace kv816
