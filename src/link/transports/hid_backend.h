#pragma once
// The thin seam between the USB transport and the HID library, so tests can put a fake
// device in place of the real one.
//
// Threads: the transport reads from its receive thread and writes from the worker thread
// at the same time; an implementation must allow that (the real one opens the device
// twice, one handle for each direction). open() runs on the worker thread.

#include <cstdint>
#include <memory>
#include <span>

#include "link/link_failure.h"

namespace kv816 {

class HidDevice {
public:
  virtual ~HidDevice() = default;
  // Writes one report, report ID first (HID_REPORT_SIZE bytes). Returns the number of
  // bytes written, or -1 when the device failed or is gone.
  virtual int write(std::span<const uint8_t> report) = 0;
  // Reads one input report's data part (no report ID) into `data`, waiting up to
  // `timeoutMs`. Returns the byte count, 0 when nothing arrived in time, or -1 when the
  // device failed or is gone.
  virtual int read(std::span<uint8_t> data, int timeoutMs) = 0;
};

class HidBackend {
public:
  virtual ~HidBackend() = default;
  // Opens the first present device with these IDs, or returns nullptr.
  virtual std::unique_ptr<HidDevice> open(uint16_t vendorId, uint16_t productId) = 0;
  // Why the last open() returned nullptr: NotFound, or PermissionDenied when the device is
  // present but this user may not open it.
  virtual LinkError lastOpenError() const { return LinkError::NotFound; }
};

// The hidapi (hidraw) back end.
std::unique_ptr<HidBackend> makeHidapiBackend();

} // namespace kv816
