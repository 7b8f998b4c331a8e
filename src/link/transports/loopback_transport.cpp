#include "link/transports/loopback_transport.h"

#include <algorithm>

#include "link/link.h"
#include "link/link_events.h"
#include "link/packet.h"
#include "model/parameter_table.h"

namespace kv816 {
namespace {
constexpr auto PROBE_WAIT = std::chrono::milliseconds(500);
constexpr auto RETRY_PAUSE = std::chrono::milliseconds(100);
} // namespace

LoopbackTransport::LoopbackTransport(Link& link, Responder responder, LinkEvents* events)
    : link_(link), responder_(std::move(responder)), events_(events) {}

LoopbackTransport::~LoopbackTransport() {
  close();
}

bool LoopbackTransport::open() {
  close();
  {
    std::lock_guard lock(mutex_);
    stopping_ = false;
  }
  running_.store(true, std::memory_order_relaxed);
  thread_ = std::thread([this] { receiveLoop(); });
  LinkState& state = link_.state();
  if (events_)
    events_->send(Notify::LinkStatus, LINK_LOST);
  while (state.workerRun.load(std::memory_order_relaxed)) {
    if (probe()) {
      if (events_)
        events_->send(Notify::LinkStatus, LINK_FOUND);
      state.connected.store(true, std::memory_order_relaxed);
      return true;
    }
    std::this_thread::sleep_for(RETRY_PAUSE);
  }
  return false;
}

// A read of index 0: the device is there when entry 0 comes back.
bool LoopbackTransport::probe() {
  ParameterTable& table = link_.table();
  table.record(IDX_DEVICE_ID).uiRefresh.store(0, std::memory_order_relaxed);
  const uint8_t readIndex0[] = {0x00, 0x00};
  link_.sendAndWait(cmd::READ, readIndex0, static_cast<uint32_t>(PROBE_WAIT.count()));
  return table.uiRefresh(IDX_DEVICE_ID);
}

void LoopbackTransport::close() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  cv_.notify_one();
  if (thread_.joinable())
    thread_.join();
  if (running_.exchange(false, std::memory_order_relaxed))
    link_.state().connected.store(false, std::memory_order_relaxed);
}

void LoopbackTransport::write(std::span<const uint8_t> frame) {
  if (!isOpen() || !responder_)
    return;
  std::vector<LoopbackReply> replies = responder_(frame);
  if (replies.empty())
    return;
  {
    std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    for (LoopbackReply& r : replies) {
      lastDue_ = std::max(now + r.delay, lastDue_);
      queue_.push_back({lastDue_, std::move(r.bytes)});
    }
  }
  cv_.notify_one();
}

void LoopbackTransport::receiveLoop() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (queue_.empty()) {
      cv_.wait(lock);
      continue;
    }
    if (Clock::now() < queue_.front().due) {
      cv_.wait_until(lock, queue_.front().due);
      continue;
    }
    std::vector<uint8_t> bytes = std::move(queue_.front().bytes);
    queue_.pop_front();
    lock.unlock();
    link_.onBytesReceived(bytes);
    lock.lock();
  }
}

} // namespace kv816
