#include "link/transports/hid_framing.h"

#include <algorithm>

namespace kv816 {

std::vector<HidReport> hidReports(std::span<const uint8_t> frame) {
  std::vector<uint8_t> message = {HID_HEADER_0, HID_HEADER_1,
                                  static_cast<uint8_t>(frame.size() >> 8),
                                  static_cast<uint8_t>(frame.size() & 0xFF), HID_HEADER_4};
  message.insert(message.end(), frame.begin(), frame.end());
  std::vector<HidReport> reports;
  for (size_t at = 0; at < message.size(); at += HID_DATA_SIZE) {
    HidReport report{}; // report ID 0, zero fill
    const size_t count = std::min(HID_DATA_SIZE, message.size() - at);
    std::copy_n(message.begin() + static_cast<std::ptrdiff_t>(at), count, report.begin() + 1);
    reports.push_back(report);
  }
  return reports;
}

namespace {
bool startsMessage(std::span<const uint8_t> data) {
  return data.size() >= HID_HEADER_SIZE && data[0] == HID_HEADER_0 && data[1] == HID_HEADER_1 &&
         data[4] == HID_HEADER_4;
}
} // namespace

std::optional<std::vector<uint8_t>> HidReassembler::feed(std::span<const uint8_t> data) {
  if (startsMessage(data)) {
    expected_ = (size_t{data[2]} << 8) | data[3];
    if (expected_ > MAX_FRAME)
      expected_ = 0;
    message_.assign(data.begin() + HID_HEADER_SIZE, data.end());
  } else if (expected_ != 0) {
    message_.insert(message_.end(), data.begin(), data.end());
  }
  if (expected_ == 0 || message_.size() < expected_)
    return std::nullopt;
  // A finished message is handed over once; stray reports after it start nothing.
  std::vector<uint8_t> frame(message_.begin(),
                             message_.begin() + static_cast<std::ptrdiff_t>(expected_));
  expected_ = 0;
  message_.clear();
  return frame;
}

} // namespace kv816
