#define ASIO_STANDALONE
#include "api/osc_server.h"

#include <asio.hpp>

#include <map>
#include <thread>

#include "api/listen_address.h"
#include "api/osc_codec.h"
#include "api/rpc_handler.h"

namespace kv816 {

using asio::ip::udp;
using nlohmann::json;

class OscServer::Impl {
public:
  Impl(RpcHandler& handler, Post post) : handler_(handler), post_(std::move(post)) {}

  bool start(const std::string& host, uint16_t port, std::string& error);
  void stop();
  uint16_t port() const { return port_; }

private:
  struct Asker {
    udp::endpoint from;
    std::string path;
  };

  void receive();
  void handle(const OscMessage& message, const udp::endpoint& from);
  void answered(const std::string& text);
  void answer(const json& reply, const Asker& asker);
  void send(const udp::endpoint& to, std::vector<uint8_t> bytes);
  void fail(const udp::endpoint& to, const std::string& path, const std::string& message) {
    send(to, encodeOsc("/kv816/error", {path, message}));
  }

  RpcHandler& handler_;
  Post post_;
  asio::io_context io_;
  udp::socket socket_{io_};
  std::vector<uint8_t> buffer_ = std::vector<uint8_t>(65536);
  udp::endpoint from_;
  std::thread thread_;
  uint16_t port_ = 0;
  bool started_ = false;
  // Editing thread only.
  std::map<int, Asker> askers_;
  int nextId_ = 1;
};

bool OscServer::Impl::start(const std::string& host, uint16_t port, std::string& error) {
  if (!isLoopbackAddress(host)) {
    error = "OSC has no access token, so it listens on loopback addresses only";
    return false;
  }
  asio::error_code ec;
  const udp::endpoint where(asio::ip::make_address(host, ec), port);
  if (!ec)
    socket_.open(where.protocol(), ec);
  if (!ec)
    socket_.bind(where, ec);
  if (ec) {
    error = "cannot listen on " + host + ":" + std::to_string(port) + ": " + ec.message();
    return false;
  }
  port_ = socket_.local_endpoint(ec).port();
  handler_.addClient(OSC_CLIENT, [this](const std::string& text) { answered(text); });
  receive();
  thread_ = std::thread([this] { io_.run(); });
  started_ = true;
  return true;
}

void OscServer::Impl::stop() {
  if (!started_)
    return;
  started_ = false;
  handler_.removeClient(OSC_CLIENT);
  io_.stop();
  thread_.join();
}

// Socket thread.
void OscServer::Impl::receive() {
  socket_.async_receive_from(asio::buffer(buffer_), from_,
                             [this](const asio::error_code& ec, size_t size) {
                               if (ec == asio::error::operation_aborted)
                                 return;
                               const std::vector<uint8_t> datagram(
                                   buffer_.begin(), buffer_.begin() + static_cast<long>(size));
                               const udp::endpoint from = from_;
                               if (std::optional<OscMessage> message = decodeOsc(datagram))
                                 post_([this, m = std::move(*message), from] { handle(m, from); });
                               else if (!ec)
                                 fail(from, "", "not an OSC message this server understands");
                               receive();
                             });
}

void OscServer::Impl::handle(const OscMessage& message, const udp::endpoint& from) {
  const std::string name = oscParameterName(message.path);
  if (name.empty() || message.args.size() > 1) {
    fail(from, message.path, "expected /kv816/CHANNEL/FUNCTION[/FIELD] with one value or none");
    return;
  }
  const Asker asker{from, message.path};
  if (message.args.empty()) {
    const json request{
        {"jsonrpc", "2.0"}, {"id", 0}, {"method", "get"}, {"params", {{"names", {name}}}}};
    answer(json::parse(handler_.handle(OSC_CLIENT, request.dump())), asker);
    return;
  }
  const int id = nextId_++;
  const json request{{"jsonrpc", "2.0"},
                     {"id", id},
                     {"method", "set"},
                     {"params", {{"values", {{name, message.args[0]}}}}}};
  askers_[id] = asker;
  const std::string reply = handler_.handle(OSC_CLIENT, request.dump());
  if (!reply.empty())
    answered(reply);
}

void OscServer::Impl::answered(const std::string& text) {
  const json reply = json::parse(text, nullptr, false);
  if (!reply.is_object() || !reply.contains("id") || !reply["id"].is_number_integer())
    return;
  const auto it = askers_.find(reply["id"].get<int>());
  if (it == askers_.end())
    return;
  answer(reply, it->second);
  askers_.erase(it);
}

void OscServer::Impl::answer(const json& reply, const Asker& asker) {
  if (reply.contains("error")) {
    json error = reply["error"];
    std::string message = error.value("message", "failed");
    if (error.contains("data"))
      message += ": " + error["data"].dump();
    fail(asker.from, asker.path, message);
    return;
  }
  for (const auto& [name, value] : reply["result"].items())
    send(asker.from, encodeOsc(asker.path, {value["text"], value["raw"]}));
}

// Any thread: the socket is only used on its own thread.
void OscServer::Impl::send(const udp::endpoint& to, std::vector<uint8_t> bytes) {
  asio::post(io_, [this, to, bytes = std::move(bytes)] {
    asio::error_code ec;
    socket_.send_to(asio::buffer(bytes), to, 0, ec);
  });
}

OscServer::OscServer(RpcHandler& handler, Post post)
    : impl_(std::make_unique<Impl>(handler, std::move(post))) {}
OscServer::~OscServer() {
  impl_->stop();
}
bool OscServer::start(const std::string& host, uint16_t port, std::string& error) {
  return impl_->start(host, port, error);
}
void OscServer::stop() {
  impl_->stop();
}
uint16_t OscServer::port() const {
  return impl_->port();
}

} // namespace kv816
