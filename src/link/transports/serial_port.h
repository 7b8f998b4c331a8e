#pragma once
// One serial port (a COM port, a Bluetooth serial port, a USB adapter, a pseudo-terminal)
// in raw mode: 8 data bits, no parity, one stop bit, no hardware or software flow control.
//
// Threads: one reader thread calls read(); the worker writes; wake() from any thread cuts
// a read short. open() and close() must not race each other; close() may run while a write
// is in progress on another thread (the write then fails).

#include <cstdint>
#include <mutex>
#include <span>
#include <string>

#include "link/link_failure.h"

namespace kv816 {

class SerialPort {
public:
  SerialPort();
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens, locks (flock, so two programs never share a port) and configures the port,
  // closing one opened before. Returns the reason it failed (not found, permission denied,
  // busy with the holder's PID, not a serial device, unsupported baud rate); None on success.
  LinkFailure open(const std::string& path, int baudRate);
  void close();
  bool isOpen() const;

  // Writes every byte, waiting up to 1 s for room. False when the port is closed or fails.
  bool write(std::span<const uint8_t> bytes);
  // Waits up to `timeoutMs` (-1: no limit) for bytes and reads what is there. Returns the
  // count, 0 on time-out or wake(), -1 when the port has gone (unplugged, the other end of
  // a pseudo-terminal closed) or is not open.
  int read(std::span<uint8_t> buffer, int timeoutMs);
  // Makes a waiting read() return 0 at once (and the next one, if none is waiting).
  void wake();

private:
  void drainWake();

  mutable std::mutex mutex_; // guards fd_ against close during write
  int fd_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
};

} // namespace kv816
