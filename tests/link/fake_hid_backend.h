#pragma once
// A HID back end for tests: a device on the other end of the reports, bridged to the
// simulated device. Written reports are reassembled into frames for the simulator; its
// replies come back as input reports. Tests may also inject raw reports and unplug it.

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "link/transports/hid_backend.h"
#include "link/transports/hid_framing.h"
#include "sim/simulated_device.h"

namespace kv816::test {

// The state the backend, its devices and the test share.
class FakeHidBus {
public:
  explicit FakeHidBus(SimulatedDevice* device) : device_(device) {}

  int write(std::span<const uint8_t> report) {
    std::lock_guard lock(mutex_);
    if (!plugged_ || report.size() != HID_REPORT_SIZE)
      return -1;
    written_.emplace_back();
    std::copy(report.begin(), report.end(), written_.back().begin());
    if (auto frame = deviceSide_.feed(report.subspan(1)); frame && device_)
      for (const OutgoingFrame& reply : device_->receive(*frame))
        queueFrameLocked(reply.bytes);
    cv_.notify_all();
    return static_cast<int>(report.size());
  }

  int read(std::span<uint8_t> data, int timeoutMs) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                 [this] { return !plugged_ || !inputs_.empty(); });
    if (!plugged_)
      return -1;
    if (inputs_.empty())
      return 0;
    const std::vector<uint8_t> report = std::move(inputs_.front());
    inputs_.pop_front();
    const size_t n = std::min(report.size(), data.size());
    std::copy_n(report.begin(), n, data.begin());
    return static_cast<int>(n);
  }

  // One input report's data part, as the device would send it.
  void inject(std::vector<uint8_t> data) {
    std::lock_guard lock(mutex_);
    data.resize(HID_DATA_SIZE, 0);
    inputs_.push_back(std::move(data));
    cv_.notify_all();
  }
  void setPlugged(bool plugged) {
    std::lock_guard lock(mutex_);
    plugged_ = plugged;
    cv_.notify_all();
  }
  bool plugged() const {
    std::lock_guard lock(mutex_);
    return plugged_;
  }
  std::vector<HidReport> written() const {
    std::lock_guard lock(mutex_);
    return written_;
  }
  int opens() const {
    std::lock_guard lock(mutex_);
    return opens_;
  }
  void countOpen() {
    std::lock_guard lock(mutex_);
    ++opens_;
  }

private:
  void queueFrameLocked(const std::vector<uint8_t>& frame) {
    for (const HidReport& report : hidReports(frame))
      inputs_.emplace_back(report.begin() + 1, report.end());
  }

  SimulatedDevice* device_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool plugged_ = true;
  int opens_ = 0;
  HidReassembler deviceSide_;
  std::deque<std::vector<uint8_t>> inputs_;
  std::vector<HidReport> written_;
};

class FakeHidDevice : public HidDevice {
public:
  explicit FakeHidDevice(std::shared_ptr<FakeHidBus> bus) : bus_(std::move(bus)) {}
  int write(std::span<const uint8_t> report) override { return bus_->write(report); }
  int read(std::span<uint8_t> data, int timeoutMs) override { return bus_->read(data, timeoutMs); }

private:
  std::shared_ptr<FakeHidBus> bus_;
};

class FakeHidBackend : public HidBackend {
public:
  explicit FakeHidBackend(std::shared_ptr<FakeHidBus> bus) : bus_(std::move(bus)) {}
  std::unique_ptr<HidDevice> open(uint16_t vendorId, uint16_t productId) override {
    if (vendorId != HID_VENDOR_ID_FOR_FAKE || productId != HID_PRODUCT_ID_FOR_FAKE ||
        !bus_->plugged())
      return nullptr;
    bus_->countOpen();
    return std::make_unique<FakeHidDevice>(bus_);
  }
  static constexpr uint16_t HID_VENDOR_ID_FOR_FAKE = 0x4084;
  static constexpr uint16_t HID_PRODUCT_ID_FOR_FAKE = 0x4357;

private:
  std::shared_ptr<FakeHidBus> bus_;
};

} // namespace kv816::test
