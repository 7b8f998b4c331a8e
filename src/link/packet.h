#pragma once
// The frame every exchange with the device uses:
//   0x80, L, command, payload (n bytes), CRC high, CRC low
// L is n + 3, or 255 for payloads of 250 bytes or more. The CRC is CRC-16/MODBUS over
// the first n + 3 bytes, sent high byte first.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kv816 {

inline constexpr uint8_t FRAME_START = 0x80;
inline constexpr uint8_t LONG_FRAME_LENGTH = 255;

// Commands of the device protocol.
namespace cmd {
inline constexpr uint8_t INFO = 0x00;
inline constexpr uint8_t RECALL = 0x01;
inline constexpr uint8_t WRITE = 0x03;
inline constexpr uint8_t NAME = 0x04;
inline constexpr uint8_t READ = 0x06;
inline constexpr uint8_t STORE_NAME = 0x10;
inline constexpr uint8_t MODULE_TEXT = 0x57;
inline constexpr uint8_t BULK_DUMP = 0xF0;
} // namespace cmd

// CRC-16/MODBUS: reflected polynomial 0xA001, initial 0xFFFF, no final xor.
uint16_t crc16(std::span<const uint8_t> bytes);

// The length byte for a payload of n bytes.
constexpr uint8_t frameLengthByte(size_t n) {
  return n >= 250 ? LONG_FRAME_LENGTH : static_cast<uint8_t>(n + 3);
}

// Builds the complete n + 5 byte frame.
std::vector<uint8_t> buildFrame(uint8_t command, std::span<const uint8_t> payload);

} // namespace kv816
