#pragma once
// What the device said about itself: written by the receive side (command 0x00 and the
// current-preset report), read by the worker and the pages.

#include <atomic>
#include <cstdint>

namespace kv816 {

inline constexpr int PRESET_COUNT_DEFAULT = 12;

struct DeviceInfo {
  std::atomic<int32_t> deviceId{0};                       // DEVICE_ID when the handshake can pass
  std::atomic<int32_t> presetCount{PRESET_COUNT_DEFAULT}; // from the lock form of the reply
  std::atomic<uint32_t> lockMask{0};                      // bit p set: preset p is locked
  std::atomic<int32_t> presetLocked{0};                   // 1: the running preset is locked
  // Information replies received in each form. A device sends the lock form only while a
  // preset is locked, so a lost one looks like "none locked" unless the host asks again.
  std::atomic<uint32_t> identityReports{0};
  std::atomic<uint32_t> lockReports{0};

  void reset() {
    constexpr auto r = std::memory_order_relaxed;
    deviceId.store(0, r);
    presetCount.store(PRESET_COUNT_DEFAULT, r);
    lockMask.store(0, r);
    presetLocked.store(0, r);
    identityReports.store(0, r);
    lockReports.store(0, r);
  }
};

} // namespace kv816
