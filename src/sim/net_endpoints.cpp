#define ASIO_STANDALONE
#include "sim/net_endpoints.h"

#include <asio.hpp>
#include <deque>
#include <thread>

#include "link/delayed_queue.h"
#include "sim/frame_parser.h"
#include "sim/simulated_device.h"

namespace kv816 {

bool parseIpv4(const std::string& host, uint32_t& address) {
  if (host == "localhost") {
    address = 0x7F000001;
    return true;
  }
  asio::error_code ec;
  const auto parsed = asio::ip::make_address_v4(host, ec);
  if (ec)
    return false;
  address = parsed.to_uint();
  return true;
}

namespace {

// One io_context with its thread.
class IoThread {
public:
  void start() {
    thread_ = std::thread([this] { io.run(); });
  }
  void stop() {
    io.stop();
    if (thread_.joinable())
      thread_.join();
  }
  asio::io_context io;

private:
  std::thread thread_;
};

bool resolve(const std::string& host, uint32_t& address, std::string& error) {
  if (parseIpv4(host, address))
    return true;
  error = "not an IPv4 address: " + host;
  return false;
}

} // namespace

struct TcpEndpoint::Impl {
  explicit Impl(SimulatedDevice& d) : device(d), acceptor(thread.io) {}

  void accept() {
    acceptor.async_accept([this](asio::error_code ec, asio::ip::tcp::socket socket) {
      if (ec)
        return;
      // A new computer replaces the one before; nothing meant for that one reaches it.
      writer->clear();
      asio::error_code ignored;
      client.close(ignored);
      client = std::move(socket);
      client.set_option(asio::ip::tcp::no_delay(true), ignored);
      parser = FrameParser();
      const auto peer = client.remote_endpoint(ignored).address();
      device.setLinkAddress(peer.is_v4() ? peer.to_v4().to_uint() : 0);
      read();
      accept();
    });
  }

  void read() {
    client.async_read_some(asio::buffer(buffer), [this](asio::error_code ec, size_t n) {
      if (ec) {
        if (ec != asio::error::operation_aborted)
          device.setLinkAddress(0);
        return;
      }
      for (const Frame& frame : parser.feed(std::span(buffer.data(), n)))
        writer->push(device.handleFrame(frame));
      read();
    });
  }

  // Writer thread: hand the bytes to the I/O thread, which owns the socket.
  void send(std::span<const uint8_t> bytes) {
    asio::post(thread.io, [this, data = std::vector<uint8_t>(bytes.begin(), bytes.end())] {
      asio::error_code ignored;
      if (client.is_open())
        asio::write(client, asio::buffer(data), ignored);
    });
  }

  SimulatedDevice& device;
  IoThread thread;
  asio::ip::tcp::acceptor acceptor;
  asio::ip::tcp::socket client{thread.io};
  FrameParser parser;
  std::array<uint8_t, 4096> buffer{};
  std::unique_ptr<DelayedQueue> writer;
};

TcpEndpoint::TcpEndpoint(SimulatedDevice& device) : impl_(std::make_unique<Impl>(device)) {}
TcpEndpoint::~TcpEndpoint() {
  stop();
}

bool TcpEndpoint::start(const std::string& host, uint16_t port, std::string& error) {
  uint32_t address = 0;
  if (!resolve(host, address, error))
    return false;
  asio::error_code ec;
  const asio::ip::tcp::endpoint where(asio::ip::address_v4(address), port);
  auto& acceptor = impl_->acceptor;
  acceptor.open(where.protocol(), ec);
  if (!ec)
    acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec)
    acceptor.bind(where, ec);
  if (!ec)
    acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    error = "tcp " + host + ":" + std::to_string(port) + ": " + ec.message();
    return false;
  }
  impl_->device.setModuleAddress(address);
  impl_->writer = std::make_unique<DelayedQueue>(
      [impl = impl_.get()](std::span<const uint8_t> b) { impl->send(b); });
  impl_->writer->start();
  impl_->accept();
  impl_->thread.start();
  return true;
}

void TcpEndpoint::stop() {
  if (impl_->writer)
    impl_->writer->stop();
  impl_->thread.stop();
  asio::error_code ignored;
  impl_->client.close(ignored);
  impl_->acceptor.close(ignored);
}

uint16_t TcpEndpoint::port() const {
  asio::error_code ec;
  return impl_->acceptor.local_endpoint(ec).port();
}

struct UdpEndpoint::Impl {
  Impl(SimulatedDevice& d, DatagramObserver o)
      : device(d), observer(std::move(o)), socket(thread.io) {}

  void receive() {
    socket.async_receive_from(asio::buffer(buffer), sender, [this](asio::error_code ec, size_t n) {
      if (ec == asio::error::operation_aborted)
        return;
      if (!ec)
        answer(std::string_view(buffer.data(), n));
      receive();
    });
  }

  void answer(std::string_view text) {
    if (observer)
      observer(true, text);
    const auto reply = device.moduleDatagram(text);
    if (!reply)
      return;
    if (observer)
      observer(false, *reply);
    asio::error_code ignored;
    socket.send_to(asio::buffer(*reply), sender, 0, ignored);
  }

  SimulatedDevice& device;
  DatagramObserver observer;
  IoThread thread;
  asio::ip::udp::socket socket;
  asio::ip::udp::endpoint sender;
  std::array<char, 1500> buffer{};
};

UdpEndpoint::UdpEndpoint(SimulatedDevice& device, DatagramObserver observer)
    : impl_(std::make_unique<Impl>(device, std::move(observer))) {}
UdpEndpoint::~UdpEndpoint() {
  stop();
}

bool UdpEndpoint::start(const std::string& host, uint16_t port, std::string& error) {
  uint32_t address = 0;
  if (!resolve(host, address, error))
    return false;
  asio::error_code ec;
  const asio::ip::udp::endpoint where(asio::ip::address_v4(address), port);
  impl_->socket.open(where.protocol(), ec);
  if (!ec)
    impl_->socket.bind(where, ec);
  if (ec) {
    error = "udp " + host + ":" + std::to_string(port) + ": " + ec.message();
    return false;
  }
  impl_->receive();
  impl_->thread.start();
  return true;
}

void UdpEndpoint::stop() {
  impl_->thread.stop();
  asio::error_code ignored;
  impl_->socket.close(ignored);
}

uint16_t UdpEndpoint::port() const {
  asio::error_code ec;
  return impl_->socket.local_endpoint(ec).port();
}

} // namespace kv816
