// Built as C++17: the WebSocket library's headers do not compile as C++20.
#define ASIO_STANDALONE
#include "ws_test_client.h"

#include <websocketpp/client.hpp>
#include <websocketpp/config/asio_no_tls_client.hpp>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace kv816::test {

using Client = websocketpp::client<websocketpp::config::asio_client>;
using nlohmann::json;

class WsTestClient::Impl {
public:
  Impl() {
    client_.clear_access_channels(websocketpp::log::alevel::all);
    client_.clear_error_channels(websocketpp::log::elevel::all);
    client_.init_asio();
    client_.set_max_message_size(16 << 20);
    client_.start_perpetual();
    thread_ = std::thread([this] { client_.run(); });
  }
  ~Impl() {
    client_.stop_perpetual();
    websocketpp::lib::error_code ec;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (open_)
        client_.close(handle_, websocketpp::close::status::normal, "", ec);
    }
    client_.stop();
    thread_.join();
  }

  bool connect(uint16_t port, const std::map<std::string, std::string>& headers,
               std::chrono::milliseconds timeout) {
    websocketpp::lib::error_code ec;
    Client::connection_ptr con =
        client_.get_connection("ws://127.0.0.1:" + std::to_string(port) + "/", ec);
    if (ec)
      return false;
    for (const auto& [name, value] : headers)
      con->append_header(name, value);
    con->set_open_handler(
        [this](websocketpp::connection_hdl) { notify([this] { open_ = true; }); });
    con->set_fail_handler(
        [this](websocketpp::connection_hdl) { notify([this] { failed_ = true; }); });
    con->set_close_handler([this](websocketpp::connection_hdl h) {
      const int code = client_.get_con_from_hdl(h)->get_remote_close_code();
      notify([this, code] {
        open_ = false;
        closeCode_ = code;
      });
    });
    con->set_message_handler([this](websocketpp::connection_hdl, Client::message_ptr m) {
      json message = json::parse(m->get_payload(), nullptr, false);
      notify([this, &message] { messages_.push_back(std::move(message)); });
    });
    handle_ = con->get_handle();
    client_.connect(con);
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return open_ || failed_; }) && open_;
  }

  void send(const std::string& text) {
    websocketpp::lib::error_code ec;
    client_.send(handle_, text, websocketpp::frame::opcode::text, ec);
  }

  std::optional<json> next(const std::function<bool(const json&)>& matches,
                           std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    std::optional<json> found;
    changed_.wait_for(lock, timeout, [&] {
      for (auto it = messages_.begin(); it != messages_.end(); ++it) {
        if (matches(*it)) {
          found = std::move(*it);
          messages_.erase(it);
          return true;
        }
      }
      return false;
    });
    return found;
  }

  std::optional<int> waitClosed(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return closeCode_.has_value(); });
    return closeCode_;
  }

private:
  template <class F> void notify(F change) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      change();
    }
    changed_.notify_all();
  }

  Client client_;
  std::thread thread_;
  websocketpp::connection_hdl handle_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<json> messages_;
  bool open_ = false;
  bool failed_ = false;
  std::optional<int> closeCode_;
};

WsTestClient::WsTestClient() : impl_(std::make_unique<Impl>()) {}
WsTestClient::~WsTestClient() = default;

bool WsTestClient::connect(uint16_t port, const std::map<std::string, std::string>& headers,
                           std::chrono::milliseconds timeout) {
  return impl_->connect(port, headers, timeout);
}
void WsTestClient::send(const std::string& text) {
  impl_->send(text);
}
std::optional<json> WsTestClient::next(const std::function<bool(const json&)>& matches,
                                       std::chrono::milliseconds timeout) {
  return impl_->next(matches, timeout);
}
std::optional<json> WsTestClient::reply(int id, std::chrono::milliseconds timeout) {
  return next([id](const json& m) { return m.contains("id") && m["id"] == id; }, timeout);
}
std::optional<json> WsTestClient::call(int id, const std::string& method, const json& params) {
  send(json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump());
  return reply(id);
}
std::optional<int> WsTestClient::waitClosed(std::chrono::milliseconds timeout) {
  return impl_->waitClosed(timeout);
}

} // namespace kv816::test
