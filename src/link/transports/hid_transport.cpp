#include "link/transports/hid_transport.h"

#include <array>
#include <cstdio>

#include "link/link.h"
#include "link/link_events.h"
#include "link/packet.h"
#include "link/transports/hid_framing.h"
#include "model/parameter_table.h"

namespace kv816 {
namespace {
constexpr auto relaxed = std::memory_order_relaxed;
constexpr auto SEARCH_PAUSE = std::chrono::milliseconds(100);
constexpr uint32_t PROBE_WAIT_MS = 500;
// A short read wait keeps close() prompt; a quiet device is not a lost one.
constexpr int READ_WAIT_MS = 100;
} // namespace

std::string HidTransport::lockName() {
  char name[40];
  std::snprintf(name, sizeof name, "HID_VID_%x_PID_%x", HID_VENDOR_ID, HID_PRODUCT_ID);
  return name;
}

HidTransport::HidTransport(Link& link, std::unique_ptr<HidBackend> backend, LinkEvents* events,
                           HidSettings settings)
    : link_(link), backend_(std::move(backend)), events_(events), settings_(std::move(settings)),
      pause_(link.state().workerRun) {}

HidTransport::~HidTransport() {
  close();
}

bool HidTransport::open() {
  LinkState& state = link_.state();
  if (state.workerRun.load(relaxed) && events_)
    events_->send(Notify::LinkStatus, LINK_LOST);
  close();
  pause_.pauseFor(SEARCH_PAUSE);
  state.connected.store(false, relaxed);
  if (!takeLock())
    return false;
  while (state.workerRun.load(relaxed)) {
    if ((isOpen() || openDevice()) && probe()) {
      link_.lastFailure().clear();
      if (events_)
        events_->send(Notify::LinkStatus, LINK_FOUND);
      state.connected.store(true, relaxed);
      return true;
    }
    pause_.pauseFor(SEARCH_PAUSE);
  }
  return false;
}

// Another instance holding the device is told every blockedRetry until it lets go.
bool HidTransport::takeLock() {
  while (link_.state().workerRun.load(relaxed)) {
    if (lock_.tryAcquire(lockName(), settings_.lockFolder))
      return true;
    link_.lastFailure().set(
        {LinkError::Busy, lockName(), DeviceLock::holderPid(lockName(), settings_.lockFolder)});
    if (events_)
      events_->showMessage(MessageKind::Ok, lockName() + " Channel is Blocked!", "");
    pause_.pauseFor(settings_.blockedRetry);
  }
  return false;
}

bool HidTransport::openDevice() {
  std::lock_guard lock(deviceMutex_);
  stopReceiver();
  device_.reset();
  std::unique_ptr<HidDevice> device = backend_->open(HID_VENDOR_ID, HID_PRODUCT_ID);
  if (!device) {
    link_.lastFailure().set({backend_->lastOpenError(), "USB 4084:4357"});
    return false;
  }
  device_ = std::move(device);
  stopReceiving_.store(false, relaxed);
  receiving_.store(true, relaxed);
  receiver_ = std::thread([this, d = device_.get()] { receiveLoop(d); });
  return true;
}

// A read of index 0: the device is there when entry 0 comes back.
bool HidTransport::probe() {
  ParameterTable& table = link_.table();
  table.record(IDX_DEVICE_ID).uiRefresh.store(0, relaxed);
  const uint8_t readIndex0[] = {0x00, 0x00};
  if (!isOpen())
    return false;
  link_.sendAndWait(cmd::READ, readIndex0, PROBE_WAIT_MS);
  return table.uiRefresh(IDX_DEVICE_ID);
}

void HidTransport::close() {
  pause_.wake();
  std::lock_guard lock(deviceMutex_);
  stopReceiver();
  device_.reset();
}

void HidTransport::stopReceiver() {
  stopReceiving_.store(true, relaxed);
  if (receiver_.joinable())
    receiver_.join();
}

void HidTransport::write(std::span<const uint8_t> frame) {
  std::lock_guard lock(deviceMutex_);
  if (!device_)
    return;
  for (const HidReport& report : hidReports(frame))
    if (device_->write(report) < 0)
      return;
}

void HidTransport::receiveLoop(HidDevice* device) {
  HidReassembler reassembler;
  std::array<uint8_t, HID_DATA_SIZE> data{};
  const LinkState& state = link_.state();
  while (state.workerRun.load(relaxed) && !stopReceiving_.load(relaxed)) {
    const int count = device->read(data, READ_WAIT_MS);
    if (count < 0)
      break; // unplugged or failed
    if (count == 0)
      continue;
    if (auto frame = reassembler.feed(std::span(data.data(), static_cast<size_t>(count))))
      link_.onBytesReceived(*frame);
  }
  link_.state().connected.store(false, relaxed);
  receiving_.store(false, relaxed);
}

} // namespace kv816
