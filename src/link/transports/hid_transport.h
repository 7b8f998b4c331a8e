#pragma once
// The USB link: the device is a HID device (vendor 0x4084, product 0x4357) that carries
// the frames inside 65-byte reports (see hid_framing.h). A named device lock keeps a
// second program instance off the device.
//
// Threads: open/write/close on the worker thread (close also from the stop operation);
// isOpen from any thread. One receive thread per opened device feeds
// Link::onBytesReceived with whole frames.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "link/transport.h"
#include "link/transports/device_lock.h"
#include "link/transports/hid_backend.h"
#include "link/transports/worker_pause.h"

namespace kv816 {

class Link;
class LinkEvents;

inline constexpr uint16_t HID_VENDOR_ID = 0x4084;
inline constexpr uint16_t HID_PRODUCT_ID = 0x4357;

struct HidSettings {
  // Folder of the device lock file; empty: DeviceLock::defaultFolder().
  std::string lockFolder;
  // Pause after a "Channel is Blocked!" message before the next try.
  std::chrono::milliseconds blockedRetry{2000};
};

class HidTransport : public Transport {
public:
  // The device lock name, "HID_VID_4084_PID_4357".
  static std::string lockName();

  // `events` may be null (no status reports, no messages).
  HidTransport(Link& link, std::unique_ptr<HidBackend> backend, LinkEvents* events,
               HidSettings settings = {});
  ~HidTransport() override;

  // Reports (4, 1), takes the device lock (while another instance holds it: the message
  // "HID_VID_4084_PID_4357 Channel is Blocked!", then a retry every blockedRetry), then
  // looks for the device every 100 ms and probes index 0 with a 500 ms wait until it
  // answers: (4, 0), `connected` set, true. False once workerRun is cleared.
  bool open() override;
  // Ends the receive thread (within ~100 ms) and closes the device. Keeps the device lock
  // (the next open takes it again), like a held channel.
  void close() override;
  // The receive thread is running.
  bool isOpen() const override { return receiving_.load(std::memory_order_relaxed); }
  // Writes the frame in reports; stops at the first failed report (not reported).
  void write(std::span<const uint8_t> frame) override;

private:
  bool takeLock();
  bool openDevice();
  bool probe();
  void receiveLoop(HidDevice* device);
  void stopReceiver();

  Link& link_;
  std::unique_ptr<HidBackend> backend_;
  LinkEvents* events_;
  HidSettings settings_;
  WorkerPause pause_;
  DeviceLock lock_;

  std::mutex deviceMutex_; // guards device_ against a close during a write
  std::shared_ptr<HidDevice> device_;
  std::thread receiver_;
  std::atomic<bool> receiving_{false};
  std::atomic<bool> stopReceiving_{false};
};

} // namespace kv816
