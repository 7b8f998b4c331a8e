#include "link/transports/serial_transport.h"

#include <array>

#include "link/link.h"
#include "link/link_events.h"
#include "link/packet.h"
#include "link/transports/serial_port_list.h"
#include "model/parameter_table.h"

namespace kv816 {
namespace {
constexpr auto relaxed = std::memory_order_relaxed;
constexpr auto NEXT_PORT_PAUSE = std::chrono::milliseconds(10);
constexpr auto RELIST_PAUSE = std::chrono::milliseconds(100);
constexpr size_t READ_CHUNK = 4096;
} // namespace

SerialTransport::SerialTransport(Link& link, LinkEvents* events, SerialSettings settings)
    : link_(link), events_(events), settings_(std::move(settings)), pause_(link.state().workerRun) {
}

SerialTransport::~SerialTransport() {
  close();
}

std::vector<std::string> SerialTransport::listPorts() const {
  return mergePortLists(settings_.preferredPorts, settings_.listSystemPorts
                                                      ? settings_.listSystemPorts()
                                                      : systemSerialPorts());
}

std::string SerialTransport::currentPort() const {
  std::lock_guard lock(nameMutex_);
  return currentPort_;
}

bool SerialTransport::open() {
  std::vector<std::string> ports = listPorts();
  size_t position = 0;
  while (pause_.pauseFor(NEXT_PORT_PAUSE)) {
    if (position < ports.size()) {
      const std::string name = ports[position++];
      if (openPort(name) && probe()) {
        link_.lastFailure().clear();
        {
          std::lock_guard lock(nameMutex_);
          currentPort_ = name;
        }
        if (events_)
          events_->send(Notify::LinkStatus, LINK_FOUND);
        link_.state().connected.store(true, relaxed);
        return true;
      }
    }
    if (position >= ports.size()) {
      ports = listPorts();
      position = 0;
      pause_.pauseFor(RELIST_PAUSE);
    }
  }
  return false;
}

bool SerialTransport::openPort(const std::string& name) {
  close();
  std::lock_guard lock(lifeMutex_);
  if (LinkFailure failure = port_.open(name, settings_.baudRate)) {
    link_.lastFailure().set(std::move(failure));
    return false;
  }
  openedPort_ = name;
  portOpen_.store(true, relaxed);
  reader_ = std::thread([this] { readerLoop(); });
  return true;
}

// A read of index 0: the device is on this port when entry 0 comes back.
bool SerialTransport::probe() {
  ParameterTable& table = link_.table();
  table.record(IDX_DEVICE_ID).uiRefresh.store(0, relaxed);
  const uint8_t readIndex0[] = {0x00, 0x00};
  if (!isOpen())
    return false;
  link_.sendAndWait(cmd::READ, readIndex0, static_cast<uint32_t>(settings_.probeWait.count()));
  if (table.uiRefresh(IDX_DEVICE_ID))
    return true;
  link_.lastFailure().set({LinkError::TimedOut, openedPort_});
  return false;
}

void SerialTransport::close() {
  pause_.wake();
  std::lock_guard lock(lifeMutex_);
  const bool wasOpen = portOpen_.exchange(false, relaxed);
  port_.wake();
  if (reader_.joinable())
    reader_.join();
  port_.close();
  if (wasOpen)
    markClosed();
}

// The port is gone: nobody will answer a waiting sender, so it is woken now.
void SerialTransport::markClosed() {
  LinkState& state = link_.state();
  portOpen_.store(false, relaxed);
  state.connected.store(false, relaxed);
  if (state.waitingForReply.load(relaxed) == 1)
    link_.replySemaphore().release();
}

void SerialTransport::write(std::span<const uint8_t> frame) {
  if (isOpen())
    port_.write(frame);
}

void SerialTransport::readerLoop() {
  std::array<uint8_t, READ_CHUNK> buffer{};
  while (portOpen_.load(relaxed)) {
    const int n = port_.read(buffer, -1);
    if (n > 0) {
      link_.onBytesReceived(std::span(buffer.data(), static_cast<size_t>(n)));
    } else if (n < 0) {
      // Unplugged, or the far end of a pseudo-terminal closed.
      if (portOpen_.load(relaxed)) {
        link_.lastFailure().set({LinkError::Gone, openedPort_});
        markClosed();
        port_.close();
      }
      return;
    }
  }
}

} // namespace kv816
