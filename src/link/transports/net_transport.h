#pragma once
// The network link (linkType 2): the device behind its WiFi module. Discovery and module
// commands travel over UDP (NetDiscovery); the device's frames over one TCP connection to
// the module, unchanged, with a receive thread feeding Link::onBytesReceived.
//
// Threads: open/write/reconnectProbe/close on the worker thread (close also from the stop
// operation); isOpen from any thread. Every destination passes destinationAllowed() first,
// so with KV816_LOOPBACK_ONLY set nothing leaves for an address outside 127.0.0.0/8.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "link/transport.h"
#include "link/transports/net_discovery.h"
#include "link/transports/net_settings.h"
#include "link/transports/notice_once.h"
#include "link/transports/worker_pause.h"

namespace kv816 {

class Link;
class LinkEvents;
class ModuleCommands;

class NetTransport : public Transport {
public:
  // `events` may be null.
  NetTransport(Link& link, ModuleCommands& modules, LinkEvents* events, NetSettings settings);
  ~NetTransport() override;

  // Restarts discovery, waits until a module that is free or linked to this computer has
  // answered, sends (4, 1), and when several modules answered sends (10, count) and takes
  // the host's choice (NetSettings::chooseModule). Then connects over TCP (retried every
  // 100 ms) and reads index 0, waiting probeWait: answered, (4, 0), `connected`, true;
  // silent, (4, 1) and back to discovery. False once workerRun is cleared.
  bool open() override;
  // Stops discovery, closes the TCP connection (its receive thread ends at once) and
  // clears `connected`.
  void close() override;
  // `connected`.
  bool isOpen() const override;
  // One send of the whole frame; a failed send closes the connection (the probe reconnects).
  // A connection the module closes or resets ends the link at once (`connected` cleared).
  void write(std::span<const uint8_t> frame) override;
  // Reconnects (up to three tries) and re-reads index 0 up to five times, 1 s each, until
  // the device answers.
  void reconnectProbe() override;

  // Connects to the module at `address` on the TCP port and starts the receive thread.
  // False when the connection failed or the address was refused by the loopback-only
  // safety net (checked before any socket is made).
  bool connectTo(uint32_t address);
  NetDiscovery& discovery() { return discovery_; }

private:
  struct Connection;
  bool waitForModule();
  bool chooseAndConnect();
  bool probe(uint32_t waitMs);
  void closeConnection();
  void receiveLoop(Connection* connection);
  void peerClosed();
  bool sendRaw(std::span<const uint8_t> bytes);
  void noticeOnce(const std::string& text);

  Link& link_;
  LinkEvents* events_;
  NetSettings settings_;
  NetDiscovery discovery_;
  WorkerPause pause_;

  std::mutex connectionMutex_; // guards connection_ between writes and close
  std::unique_ptr<Connection> connection_;
  std::thread receiver_;
  NoticeOnce notices_;
};

} // namespace kv816
