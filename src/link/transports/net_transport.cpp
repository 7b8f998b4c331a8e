#define ASIO_STANDALONE
#include "link/transports/net_transport.h"

#include <asio.hpp>

#include <array>

#include "link/link.h"
#include "link/link_events.h"
#include "link/packet.h"
#include "link/transports/net_address.h"
#include "link/transports/net_receive.h"
#include "model/parameter_table.h"

namespace kv816 {
namespace {
constexpr auto relaxed = std::memory_order_relaxed;
constexpr auto MODULE_POLL = std::chrono::milliseconds(20);
constexpr auto CONNECT_RETRY = std::chrono::milliseconds(100);
constexpr auto CONNECT_SLICE = std::chrono::milliseconds(100);
constexpr int PROBE_CONNECTS = 3;
constexpr int PROBE_READS = 5;
constexpr uint32_t PROBE_READ_WAIT_MS = 1000;
constexpr size_t RECEIVE_CHUNK = 1500;
const std::array<uint8_t, 7> READ_INDEX_0 = {0x80, 0x05, 0x06, 0x00, 0x00, 0x13, 0xC5};
} // namespace

// One TCP connection with the io_context its socket belongs to.
struct NetTransport::Connection {
  asio::io_context io;
  asio::ip::tcp::socket socket{io};
  std::atomic<bool> closing{false}; // set before this side shuts the socket
};

NetTransport::NetTransport(Link& link, ModuleCommands& modules, LinkEvents* events,
                           NetSettings settings)
    : link_(link), events_(events), settings_(std::move(settings)),
      discovery_(modules, events, settings_), pause_(link.state().workerRun) {}

NetTransport::~NetTransport() {
  close();
}

bool NetTransport::isOpen() const {
  return link_.state().connected.load(relaxed);
}

bool NetTransport::open() {
  LinkState& state = link_.state();
  closeConnection();
  discovery_.setModuleAddress(0);
  discovery_.clearDiscovered();
  if (!state.workerRun.load(relaxed))
    return false;
  discovery_.start();
  pause_.pauseFor(std::chrono::milliseconds(50));
  while (waitForModule()) {
    if (chooseAndConnect())
      return true;
    // The module did not answer over TCP: find one again.
    discovery_.setModuleAddress(0);
  }
  return false;
}

// Until a module is free or linked to this computer; false once the worker stops.
bool NetTransport::waitForModule() {
  while (!discovery_.moduleAvailable()) {
    // A module that answered before and then failed (silent, refused) keeps that reason.
    const LinkError before = link_.lastFailure().get().error;
    const bool keep = before != LinkError::None && before != LinkError::NotFound &&
                      before != LinkError::AddressNotAllowed;
    if (discovery_.datagramsRefused() > 0)
      link_.lastFailure().set({LinkError::AddressNotAllowed, settings_.broadcastAddress});
    else if (!keep)
      link_.lastFailure().set(
          {LinkError::NotFound, "no module answered at " + settings_.broadcastAddress});
    if (!pause_.pauseFor(MODULE_POLL))
      return false;
  }
  return link_.state().workerRun.load(relaxed);
}

bool NetTransport::chooseAndConnect() {
  LinkState& state = link_.state();
  if (events_)
    events_->send(Notify::LinkStatus, LINK_LOST);
  pause_.pauseFor(std::chrono::milliseconds(50));
  if (const auto modules = discovery_.discovered(); modules.size() > 1) {
    if (events_)
      events_->send(Notify::ModulesFound, static_cast<int>(modules.size()));
    if (settings_.chooseModule)
      discovery_.setModuleAddress(settings_.chooseModule(modules));
    discovery_.clearDiscovered();
    pause_.pauseFor(std::chrono::milliseconds(100));
  }
  state.connected.store(false, relaxed);
  while (state.workerRun.load(relaxed)) {
    const uint32_t module = discovery_.moduleAddress();
    if (module == 0)
      return false;
    if (!connectTo(module)) {
      pause_.pauseFor(CONNECT_RETRY);
      continue;
    }
    const bool answered = probe(static_cast<uint32_t>(settings_.probeWait.count()));
    if (events_)
      events_->send(Notify::LinkStatus, answered ? LINK_FOUND : LINK_LOST);
    if (!answered) {
      link_.lastFailure().set({LinkError::TimedOut, formatIpv4(module)});
      return false;
    }
    link_.lastFailure().clear();
    state.connected.store(true, relaxed);
    return true;
  }
  return false;
}

// A read of index 0 over the new connection: the device is there when entry 0 comes back.
bool NetTransport::probe(uint32_t waitMs) {
  ParameterTable& table = link_.table();
  table.record(IDX_DEVICE_ID).uiRefresh.store(0, relaxed);
  const uint8_t readIndex0[] = {0x00, 0x00};
  link_.sendAndWait(cmd::READ, readIndex0, waitMs);
  return table.uiRefresh(IDX_DEVICE_ID);
}

bool NetTransport::connectTo(uint32_t address) {
  closeConnection();
  if (!destinationAllowed(address)) {
    link_.lastFailure().set({LinkError::AddressNotAllowed, formatIpv4(address)});
    noticeOnce(refusalText(address));
    return false;
  }
  auto connection = std::make_unique<Connection>();
  asio::ip::tcp::socket& socket = connection->socket;
  asio::error_code result = asio::error::timed_out;
  socket.async_connect({asio::ip::address_v4(address), settings_.tcpPort},
                       [&result](asio::error_code ec) { result = ec; });
  // In short slices, so that a stop does not wait for a slow connect to time out.
  const auto giveUp = std::chrono::steady_clock::now() + settings_.connectWait;
  while (result == asio::error::timed_out && !connection->io.stopped() &&
         std::chrono::steady_clock::now() < giveUp && link_.state().workerRun.load(relaxed))
    connection->io.run_for(CONNECT_SLICE);
  const std::string where = formatIpv4(address) + ":" + std::to_string(settings_.tcpPort);
  if (result == asio::error::timed_out) {
    link_.lastFailure().set({LinkError::TimedOut, where});
    asio::error_code ignored;
    socket.close(ignored);
    connection->io.restart();
    connection->io.run();
    return false;
  }
  if (result) {
    link_.lastFailure().set({linkErrorFromErrno(result.value()), where});
    return false;
  }
  asio::error_code ignored;
  socket.set_option(asio::ip::tcp::no_delay(true), ignored);
  std::lock_guard lock(connectionMutex_);
  connection_ = std::move(connection);
  receiver_ = std::thread([this, c = connection_.get()] { receiveLoop(c); });
  link_.state().peerAddress.store(address, relaxed);
  link_.state().peerPort.store(settings_.tcpPort, relaxed);
  return true;
}

void NetTransport::receiveLoop(Connection* connection) {
  std::array<uint8_t, RECEIVE_CHUNK> buffer{};
  const LinkState& state = link_.state();
  while (state.workerRun.load(relaxed)) {
    asio::error_code ec;
    const size_t n = receiveUntilClosed(connection->io, connection->socket, asio::buffer(buffer),
                                        connection->closing, ec);
    if (ec || n == 0) {
      if (!connection->closing.load())
        peerClosed();
      return;
    }
    link_.onBytesReceived(std::span(buffer.data(), n));
  }
}

// The module closed or reset the connection: the link is lost now, not after the silence
// accounting has counted its misses, and a sender waiting for a reply is woken.
void NetTransport::peerClosed() {
  LinkState& state = link_.state();
  link_.lastFailure().set({LinkError::Gone, formatIpv4(discovery_.moduleAddress())});
  state.connected.store(false, relaxed);
  if (state.waitingForReply.load(relaxed) == 1)
    link_.replySemaphore().release();
}

void NetTransport::closeConnection() {
  std::lock_guard lock(connectionMutex_);
  link_.state().peerAddress.store(0, relaxed);
  link_.state().peerPort.store(0, relaxed);
  if (connection_) {
    connection_->closing.store(true);
    asio::error_code ignored;
    connection_->socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  }
  if (receiver_.joinable())
    receiver_.join();
  if (connection_) {
    asio::error_code ignored;
    connection_->socket.close(ignored);
    connection_.reset();
  }
}

void NetTransport::close() {
  pause_.wake();
  discovery_.stop();
  closeConnection();
  link_.state().connected.store(false, relaxed);
}

bool NetTransport::sendRaw(std::span<const uint8_t> bytes) {
  bool failed = false;
  {
    std::lock_guard lock(connectionMutex_);
    if (!connection_)
      return false;
    asio::error_code ec;
    asio::write(connection_->socket, asio::buffer(bytes.data(), bytes.size()), ec);
    failed = static_cast<bool>(ec);
  }
  if (failed)
    closeConnection();
  return !failed;
}

void NetTransport::write(std::span<const uint8_t> frame) {
  sendRaw(frame);
}

void NetTransport::reconnectProbe() {
  LinkState& state = link_.state();
  // A stopping worker's last sends must not wait here: each probe can take seconds.
  auto stopping = [&state] { return !state.workerRun.load(relaxed); };
  const uint32_t module = discovery_.moduleAddress();
  bool connected = false;
  for (int i = 0; i < PROBE_CONNECTS && !connected && module != 0 && !stopping(); ++i)
    connected = connectTo(module);
  if (!connected || stopping())
    return;
  const int waiting = state.waitingForReply.load(relaxed);
  for (int i = 0; i < PROBE_READS && !stopping(); ++i) {
    state.waitingForReply.store(1, relaxed);
    sendRaw(READ_INDEX_0);
    if (link_.replySemaphore().waitFor(std::chrono::milliseconds(PROBE_READ_WAIT_MS)))
      break;
  }
  // The sender the probe interrupted may still be waiting for its own reply.
  state.waitingForReply.store(waiting, relaxed);
}

void NetTransport::noticeOnce(const std::string& text) {
  notices_.give(settings_.notice, text);
}

} // namespace kv816
