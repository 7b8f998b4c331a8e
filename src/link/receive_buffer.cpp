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
  size_t excess = bytes_.size() + chunk.size() - cap_;
  if (excess >= bytes_.size()) {
    chunk = chunk.subspan(excess - bytes_.size());
    bytes_.clear();
  } else {
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(excess));
    auto start = std::find(bytes_.begin(), bytes_.end(), FRAME_START);
    bytes_.erase(bytes_.begin(), start);
    if (!bytes_.empty())
      return;
  }
  auto start = std::find(chunk.begin(), chunk.end(), FRAME_START);
  chunk = chunk.subspan(static_cast<size_t>(start - chunk.begin()));
}

std::vector<uint8_t> ReceiveBuffer::copyFrom(size_t offset) const {
  std::lock_guard lock(mutex_);
  if (offset >= bytes_.size())
    return {};
  return {bytes_.begin() + static_cast<std::ptrdiff_t>(offset), bytes_.end()};
}

void ReceiveBuffer::discard(size_t k) {
  std::lock_guard lock(mutex_);
  if (k >= bytes_.size())
    bytes_.clear();
  else
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(k));
}

void ReceiveBuffer::clear() {
  std::lock_guard lock(mutex_);
  bytes_.clear();
}

size_t ReceiveBuffer::size() const {
  std::lock_guard lock(mutex_);
  return bytes_.size();
}

} // namespace kv816
