#pragma once
// The OSC side of the remote API, on UDP at a loopback address only (OSC has no token):
//   /kv816/out2/peq3/gain ,f -3.5   sets, with the same names, values and checks as set;
//                                   answered to the sender with the path ,si TEXT RAW once
//                                   the device confirmed, or /kv816/error ,ss PATH MESSAGE
//   /kv816/out2/peq3/gain           (no argument) asks; answered the same way at once.
//
// Threads: start, stop and destroy on the editing thread; the socket has its own thread
// that hands each message to the editing thread through `post`.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kv816 {

class RpcHandler;

class OscServer {
public:
  using Post = std::function<void(std::function<void()> job)>;
  // The handler's client number for OSC (WebSocket clients count from 1).
  static constexpr int OSC_CLIENT = -1;

  OscServer(RpcHandler& handler, Post post);
  ~OscServer();
  OscServer(const OscServer&) = delete;
  OscServer& operator=(const OscServer&) = delete;

  // False with `error` set for an address beyond loopback or a port that cannot be bound.
  bool start(const std::string& host, uint16_t port, std::string& error);
  void stop();
  uint16_t port() const;

private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace kv816
