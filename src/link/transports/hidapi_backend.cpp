// The HID back end over hidapi (hidraw on Linux, the HID class driver on Windows). The device path
// is opened twice, once per direction, so that a blocking read never holds up a write.

#include <hidapi.h>

#include <memory>
#include <mutex>
#include <string>

#include "link/transports/hid_backend.h"
#include "link/transports/hid_open_failure.h"

namespace kv816 {
namespace {

struct HidCloser {
  void operator()(hid_device* device) const { hid_close(device); }
};
using HidHandle = std::unique_ptr<hid_device, HidCloser>;

class HidapiDevice : public HidDevice {
public:
  HidapiDevice(HidHandle reader, HidHandle writer)
      : reader_(std::move(reader)), writer_(std::move(writer)) {}

  int write(std::span<const uint8_t> report) override {
    return hid_write(writer_.get(), report.data(), report.size());
  }
  int read(std::span<uint8_t> data, int timeoutMs) override {
    return hid_read_timeout(reader_.get(), data.data(), data.size(), timeoutMs);
  }

private:
  HidHandle reader_;
  HidHandle writer_;
};

// hid_init is not thread-safe; the first open initialises the library once.
void initOnce() {
  static std::once_flag once;
  std::call_once(once, [] { hid_init(); });
}

std::string findPath(uint16_t vendorId, uint16_t productId) {
  std::string path;
  hid_device_info* list = hid_enumerate(vendorId, productId);
  if (list && list->path)
    path = list->path;
  hid_free_enumeration(list);
  return path;
}

class HidapiBackend : public HidBackend {
public:
  std::unique_ptr<HidDevice> open(uint16_t vendorId, uint16_t productId) override {
    initOnce();
    const std::string path = findPath(vendorId, productId);
    lastError_ = LinkError::NotFound;
    if (path.empty())
      return nullptr;
    HidHandle reader(hid_open_path(path.c_str()));
    HidHandle writer(hid_open_path(path.c_str()));
    if (!reader || !writer) {
      lastError_ = hidOpenFailure(path);
      return nullptr;
    }
    lastError_ = LinkError::None;
    return std::make_unique<HidapiDevice>(std::move(reader), std::move(writer));
  }
  LinkError lastOpenError() const override { return lastError_; }

private:
  LinkError lastError_ = LinkError::NotFound;
};

} // namespace

std::unique_ptr<HidBackend> makeHidapiBackend() {
  return std::make_unique<HidapiBackend>();
}

} // namespace kv816
