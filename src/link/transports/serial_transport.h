#pragma once
// The serial link (linkType 3, Bluetooth serial, and any value other than USB and network,
// a plain COM port). The transport does not know which port the device is on: it tries
// the ports in turn until one answers a read of index 0, then keeps it open. A reader
// thread hands every received byte to Link::onBytesReceived.
//
// Threads: open/write/close on the worker thread (close also from the stop operation);
// isOpen from any thread. The reader thread closes the port itself when it goes away.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "link/transport.h"
#include "link/transports/serial_port.h"
#include "link/transports/worker_pause.h"

namespace kv816 {

class Link;
class LinkEvents;

struct SerialSettings {
  int baudRate = 115200;
  // Tried before the system's ports, in this order (the SerialPorts setting).
  std::vector<std::string> preferredPorts;
  // The system's ports; empty: systemSerialPorts(). Tests list only their own ports.
  std::function<std::vector<std::string>()> listSystemPorts;
  // Wait for the answer to the probe on each port.
  std::chrono::milliseconds probeWait{500};
};

class SerialTransport : public Transport {
public:
  // `events` may be null.
  SerialTransport(Link& link, LinkEvents* events, SerialSettings settings = {});
  ~SerialTransport() override;

  // Tries the listed ports one after another (10 ms apart); on each that opens, probes
  // index 0 and waits probeWait. The first port that answers wins: (4, 0), `connected`
  // set, true. At the end of the list the ports are listed again after 100 ms. A port
  // that opens but does not answer stays open until the next port is opened. False once
  // workerRun is cleared.
  bool open() override;
  // Ends the reader (promptly: it is woken) and closes the port; clears `connected`, and
  // wakes a sender waiting for a reply.
  void close() override;
  // The port is open.
  bool isOpen() const override { return portOpen_.load(std::memory_order_relaxed); }
  // Writes the whole frame before returning; dropped while the port is closed.
  void write(std::span<const uint8_t> frame) override;

  // The ports one pass tries, in order.
  std::vector<std::string> listPorts() const;
  // The port that answered last; empty before.
  std::string currentPort() const;

private:
  bool openPort(const std::string& name);
  bool probe();
  void readerLoop();
  void markClosed();

  Link& link_;
  LinkEvents* events_;
  SerialSettings settings_;
  WorkerPause pause_;
  SerialPort port_;
  std::mutex lifeMutex_; // one open or close of the port at a time
  std::thread reader_;
  std::atomic<bool> portOpen_{false};
  std::string openedPort_; // set before the reader starts, read by it when the port goes
  mutable std::mutex nameMutex_;
  std::string currentPort_;
};

} // namespace kv816
