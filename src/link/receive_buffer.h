#pragma once
// Bytes received from the device and not yet consumed by the packet scan.
// Every member takes the one mutex, so any thread may call it.
//
// The buffer is bounded: when a chunk would take it past the cap, the oldest bytes are
// dropped, then everything up to the next start byte 0x80 (the tail of a packet whose
// start is gone can never be decoded), and the newest bytes are kept.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace kv816 {

inline constexpr size_t RECEIVE_BUFFER_CAP = 64 * 1024;

class ReceiveBuffer {
public:
  explicit ReceiveBuffer(size_t cap = RECEIVE_BUFFER_CAP) : cap_(cap) {}

  void append(std::span<const uint8_t> chunk);
  // A copy of every byte from `offset` to the end (empty when offset >= size()).
  std::vector<uint8_t> copyFrom(size_t offset) const;
  // Drops the first k bytes; k >= size() empties the buffer.
  void discard(size_t k);
  void clear();
  size_t size() const;
  size_t cap() const { return cap_; }

  // The receive scan's resume point: no byte before it can start a packet any more, so
  // the next scan may skip them. Follows the bytes as the front is dropped.
  size_t scanned() const;
  void setScanned(size_t offset); // clamped to size()

private:
  void makeRoom(std::span<const uint8_t>& chunk);
  void dropFront(size_t k);

  const size_t cap_;
  mutable std::mutex mutex_;
  std::vector<uint8_t> bytes_;
  size_t scanned_ = 0;
};

} // namespace kv816
