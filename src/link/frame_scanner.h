#pragma once
// Finds the packets in a run of received bytes.
//
// Every byte 0x80 is tried as a start: L is the next byte, the CRC is read at offsets
// start + L (high) and start + L + 1 (low) and must match crc16 over the L bytes from the
// start. A candidate whose CRC bytes have not all arrived is left for later; a rejected
// candidate moves the scan on by one byte, so a 0x80 inside a packet is tried as a start
// too. The two CRC bytes of a packet are not part of the consumed count: the next scan
// skips them unless one of them is 0x80, which then fails as a start.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace kv816 {

// L below 3 cannot hold a command byte; such candidates are never packets.
inline constexpr uint8_t MIN_FRAME_LENGTH = 3;
// Start, length, command and two CRC bytes.
inline constexpr size_t MIN_FRAME_SIZE = 5;

using PacketSink = std::function<void(uint8_t command, std::span<const uint8_t> payload)>;

struct ScanResult {
  // The consumed mark: leading bytes that may be dropped (up to the end of the last valid
  // packet, its CRC bytes excluded); 0 when no packet was found.
  size_t consumed = 0;
  // The first candidate at or after `consumed` that may still become a packet when more
  // bytes arrive (the size of `bytes` when there is none). Every start byte before it has
  // been judged for good, so the next scan may begin there.
  size_t resume = 0;
};

// Calls `sink` for every valid packet in order (payload = the L - 3 bytes after the
// command, always inside `bytes`).
ScanResult scanFrames(std::span<const uint8_t> bytes, const PacketSink& sink);

class ReceiveBuffer;

// One receive pass over the buffer: scans from its resume point, dispatches through
// `sink`, discards the consumed bytes and moves the resume point. Start bytes before the
// resume point were judged for good by earlier passes, so skipping them gives exactly the
// packets of a scan from offset 0 without rescanning the whole buffer for every chunk.
// The caller serialises passes over one buffer.
void scanReceived(ReceiveBuffer& buffer, const PacketSink& sink);

} // namespace kv816
