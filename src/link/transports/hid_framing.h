#pragma once
// The USB wrapping of device frames. Every report is 65 bytes: report ID 0 and 64 data
// bytes. A message is a 5-byte header (AE 1E len_hi len_lo C8) and one frame, spread over
// the data bytes of consecutive reports; the rest of the last report is zero.
//
// Pure functions and one small state machine; no threads, no I/O.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kv816 {

inline constexpr size_t HID_REPORT_SIZE = 65; // report ID + data
inline constexpr size_t HID_DATA_SIZE = 64;
inline constexpr size_t HID_HEADER_SIZE = 5;
inline constexpr uint8_t HID_HEADER_0 = 0xAE;
inline constexpr uint8_t HID_HEADER_1 = 0x1E;
inline constexpr uint8_t HID_HEADER_4 = 0xC8;

using HidReport = std::array<uint8_t, HID_REPORT_SIZE>;

// The reports that carry `frame`, report ID 0 first in each.
std::vector<HidReport> hidReports(std::span<const uint8_t> frame);

// Collects the data parts of input reports (report ID already removed) into messages.
// A report that starts with the header begins a message; any other report continues the
// one in progress. When the frame is whole, feed() returns exactly its bytes; the zero
// fill behind it is never passed on.
class HidReassembler {
public:
  // The longest frame one message may carry; a header that announces more is ignored.
  static constexpr size_t MAX_FRAME = 1024 - HID_HEADER_SIZE;

  // Returns the finished frame, or nothing while more reports are needed. Reports without
  // a header outside a message (before the first, or after a finished one) are dropped.
  std::optional<std::vector<uint8_t>> feed(std::span<const uint8_t> data);

private:
  std::vector<uint8_t> message_;
  size_t expected_ = 0; // frame length of the message in progress, 0 when none
};

} // namespace kv816
