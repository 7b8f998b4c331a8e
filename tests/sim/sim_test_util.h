#pragma once
// Helpers for the simulated-device tests: hex fixtures and reply decoding.

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "link/packet.h"
#include "sim/frame_parser.h"
#include "sim/simulated_device.h"

namespace kv816::testing {

inline std::vector<uint8_t> hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte)
    bytes.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
  return bytes;
}

inline std::vector<uint8_t> frame(uint8_t command, std::vector<uint8_t> payload) {
  return buildFrame(command, payload);
}

inline std::vector<uint8_t> text(const std::string& s) {
  return {s.begin(), s.end()};
}

// Parses the bytes of every outgoing frame back into frames.
inline std::vector<Frame> decode(const std::vector<OutgoingFrame>& out) {
  FrameParser parser;
  std::vector<Frame> frames;
  for (const OutgoingFrame& f : out)
    for (Frame& fr : parser.feed(f.bytes))
      frames.push_back(std::move(fr));
  return frames;
}

inline std::vector<Frame> ask(SimulatedDevice& device, uint8_t command,
                              std::vector<uint8_t> payload) {
  return decode(device.receive(frame(command, std::move(payload))));
}

// Index -> value of every item in a run of 0x06 value reports.
inline std::map<int, uint16_t> valueItems(const std::vector<Frame>& frames) {
  std::map<int, uint16_t> items;
  for (const Frame& f : frames) {
    if (f.command != cmd::READ)
      continue;
    for (size_t at = 0; at + 3 < f.payload.size(); at += 4)
      items[f.payload[at] << 8 | f.payload[at + 1]] =
          static_cast<uint16_t>(f.payload[at + 2] << 8 | f.payload[at + 3]);
  }
  return items;
}

} // namespace kv816::testing
