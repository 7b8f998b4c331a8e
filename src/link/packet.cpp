#include "link/packet.h"

#include <array>

namespace kv816 {

namespace {

constexpr std::array<uint16_t, 256> makeCrcTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t crc = static_cast<uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit)
      crc =
          (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    table[i] = crc;
  }
  return table;
}

// The receive side runs the CRC once per candidate start byte; a table keeps that cheap.
constexpr std::array<uint16_t, 256> CRC_TABLE = makeCrcTable();

} // namespace

uint16_t crc16(std::span<const uint8_t> bytes) {
  uint16_t crc = 0xFFFF;
  for (uint8_t b : bytes)
    crc = static_cast<uint16_t>((crc >> 8) ^ CRC_TABLE[(crc ^ b) & 0xFF]);
  return crc;
}

std::vector<uint8_t> buildFrame(uint8_t command, std::span<const uint8_t> payload) {
  std::vector<uint8_t> frame;
  frame.reserve(payload.size() + 5);
  frame.push_back(FRAME_START);
  frame.push_back(frameLengthByte(payload.size()));
  frame.push_back(command);
  frame.insert(frame.end(), payload.begin(), payload.end());
  const uint16_t crc = crc16(frame);
  frame.push_back(static_cast<uint8_t>(crc >> 8));
  frame.push_back(static_cast<uint8_t>(crc & 0xFF));
  return frame;
}

} // namespace kv816
