#pragma once
// The WiFi module on the network: a TCP endpoint that carries the device's frames
// unchanged in both directions (one computer at a time; a new connection replaces the
// old), and a UDP endpoint that answers the module's text commands ("Get_IP:" ...).
// Addresses are given by the caller; kv816-sim refuses non-loopback ones by default.
//
// Threads: start/stop from one controlling thread; each endpoint runs its own I/O thread
// (and the TCP endpoint a DelayedQueue). stop() returns promptly.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kv816 {

class SimulatedDevice;

class TcpEndpoint {
public:
  explicit TcpEndpoint(SimulatedDevice& device);
  ~TcpEndpoint();
  TcpEndpoint(const TcpEndpoint&) = delete;
  TcpEndpoint& operator=(const TcpEndpoint&) = delete;

  // Binds and listens on host:port (port 0 picks a free one). False with `error` set on
  // failure. The module then reports host as its own address.
  bool start(const std::string& host, uint16_t port, std::string& error);
  void stop();
  uint16_t port() const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class UdpEndpoint {
public:
  // Sees every datagram text in (true) and every reply out (false), on the I/O thread.
  using DatagramObserver = std::function<void(bool incoming, std::string_view text)>;

  explicit UdpEndpoint(SimulatedDevice& device, DatagramObserver observer = {});
  ~UdpEndpoint();
  UdpEndpoint(const UdpEndpoint&) = delete;
  UdpEndpoint& operator=(const UdpEndpoint&) = delete;

  // Binds host:port (port 0 picks a free one) and answers every datagram that holds a
  // module command, to its sender. False with `error` set on failure.
  bool start(const std::string& host, uint16_t port, std::string& error);
  void stop();
  uint16_t port() const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Parses an IPv4 literal or "localhost" into a number, most significant byte first.
// False when the text is neither.
bool parseIpv4(const std::string& host, uint32_t& address);
inline bool isLoopback(uint32_t address) {
  return (address >> 24) == 127;
}

} // namespace kv816
