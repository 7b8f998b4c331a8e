#include "link/receive_buffer.h"

#include <algorithm>

#include "link/packet.h"

namespace kv816 {

void ReceiveBuffer::append(std::span<const uint8_t> chunk) {
  std::lock_guard lock(mutex_);
  if (bytes_.size() + chunk.size() > cap_)
    makeRoom(chunk);
  bytes_.insert(bytes_.end(), chunk.begin(), chunk.end());
}

// Drops the oldest bytes of buffer + chunk so that the rest fits the cap, then everything
// before the next start byte. May shorten `chunk` from the front.
void ReceiveBuffer::makeRoom(std::span<const uint8_t>& chunk) {
  const size_t excess = bytes_.size() + chunk.size() - cap_;
  if (excess < bytes_.size()) {
    const auto start =
        std::find(bytes_.begin() + static_cast<std::ptrdiff_t>(excess), bytes_.end(), FRAME_START);
    dropFront(static_cast<size_t>(start - bytes_.begin()));
    if (!bytes_.empty())
      return;
  } else {
    chunk = chunk.subspan(excess - bytes_.size());
    dropFront(bytes_.size());
  }
  const auto start = std::find(chunk.begin(), chunk.end(), FRAME_START);
  chunk = chunk.subspan(static_cast<size_t>(start - chunk.begin()));
}

void ReceiveBuffer::dropFront(size_t k) {
  k = std::min(k, bytes_.size());
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(k));
  scanned_ = scanned_ > k ? scanned_ - k : 0;
}

std::vector<uint8_t> ReceiveBuffer::copyFrom(size_t offset) const {
  std::lock_guard lock(mutex_);
  if (offset >= bytes_.size())
    return {};
  return {bytes_.begin() + static_cast<std::ptrdiff_t>(offset), bytes_.end()};
}

void ReceiveBuffer::discard(size_t k) {
  std::lock_guard lock(mutex_);
  dropFront(k);
}

void ReceiveBuffer::clear() {
  std::lock_guard lock(mutex_);
  dropFront(bytes_.size());
}

size_t ReceiveBuffer::size() const {
  std::lock_guard lock(mutex_);
  return bytes_.size();
}

size_t ReceiveBuffer::scanned() const {
  std::lock_guard lock(mutex_);
  return scanned_;
}

void ReceiveBuffer::setScanned(size_t offset) {
  std::lock_guard lock(mutex_);
  scanned_ = std::min(offset, bytes_.size());
}

} // namespace kv816
