#pragma once
// The device on a pseudo-terminal: the serial link's view of the simulated processor.
// start() creates the terminal pair in raw mode and links `linkPath` to its slave side,
// so a program opens `linkPath` as it would a serial port. The link is removed by stop().
//
// Threads: start/stop from one controlling thread; a reader thread feeds the device and a
// DelayedQueue writes its replies. stop() returns within about 100 ms.

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "link/delayed_queue.h"
#include "sim/frame_parser.h"

namespace kv816 {

class SimulatedDevice;

class PtyEndpoint {
public:
  explicit PtyEndpoint(SimulatedDevice& device);
  ~PtyEndpoint();
  PtyEndpoint(const PtyEndpoint&) = delete;
  PtyEndpoint& operator=(const PtyEndpoint&) = delete;

  // False with `error` set when the terminal cannot be made or `linkPath` is taken by
  // something other than a symbolic link.
  bool start(const std::string& linkPath, std::string& error);
  void stop();
  // The slave device's own name (/dev/pts/N).
  const std::string& slaveName() const { return slaveName_; }

private:
  void readLoop();
  void writeAll(std::span<const uint8_t> bytes);

  SimulatedDevice& device_;
  int master_ = -1;
  int slave_ = -1; // held open so the terminal stays up between clients
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::string linkPath_;
  std::string slaveName_;
  std::atomic<bool> running_{false};
  FrameParser parser_;
  std::unique_ptr<DelayedQueue> writer_;
  std::thread reader_;
};

} // namespace kv816
