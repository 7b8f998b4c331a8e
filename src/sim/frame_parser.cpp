#include "sim/frame_parser.h"

#include <algorithm>

#include "link/packet.h"

namespace kv816 {
namespace {

uint16_t crcStep(uint16_t crc, uint8_t b) {
  crc ^= b;
  for (int bit = 0; bit < 8; ++bit)
    crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
  return crc;
}

} // namespace

// On Valid, end is the offset of the first CRC byte.
FrameParser::Candidate FrameParser::tryFrame(size_t start, size_t& end) const {
  const size_t size = buffer_.size();
  if (start + 1 >= size)
    return Candidate::Incomplete;
  const size_t length = buffer_[start + 1];
  if (length < 3)
    return Candidate::Invalid;
  if (length != LONG_FRAME_LENGTH) {
    end = start + length;
    if (end + 1 >= size)
      return Candidate::Incomplete;
    const uint16_t sent = static_cast<uint16_t>(buffer_[end] << 8 | buffer_[end + 1]);
    return crc16(std::span(buffer_).subspan(start, length)) == sent ? Candidate::Valid
                                                                    : Candidate::Invalid;
  }
  // Long frame: the payload is at least 250 bytes; walk the CRC along until it matches.
  const size_t first = start + 253;
  const size_t last = start + 3 + MAX_LONG_PAYLOAD;
  uint16_t crc = 0xFFFF;
  for (size_t i = start; i < first && i < size; ++i)
    crc = crcStep(crc, buffer_[i]);
  for (end = first; end + 1 < size && end <= last; ++end) {
    if (crc == static_cast<uint16_t>(buffer_[end] << 8 | buffer_[end + 1]))
      return Candidate::Valid;
    crc = crcStep(crc, buffer_[end]);
  }
  return end > last ? Candidate::Invalid : Candidate::Incomplete;
}

std::vector<Frame> FrameParser::feed(std::span<const uint8_t> chunk) {
  buffer_.insert(buffer_.end(), chunk.begin(), chunk.end());
  if (buffer_.size() > BUFFER_CAP)
    buffer_.erase(buffer_.begin(), buffer_.end() - BUFFER_CAP);

  std::vector<Frame> frames;
  size_t consumed = 0;
  size_t firstIncomplete = buffer_.size();
  for (size_t a = 0; a < buffer_.size(); ++a) {
    if (buffer_[a] != FRAME_START)
      continue;
    size_t end = 0;
    switch (tryFrame(a, end)) {
    case Candidate::Valid:
      frames.push_back(Frame{buffer_[a + 2], {buffer_.begin() + a + 3, buffer_.begin() + end}});
      consumed = end + 2;
      firstIncomplete = buffer_.size();
      a = end + 1;
      break;
    case Candidate::Incomplete:
      firstIncomplete = std::min(firstIncomplete, a);
      break;
    case Candidate::Invalid:
      break;
    }
  }
  // Keep only what may still become a frame: from the first unfinished candidate on.
  const size_t keepFrom = std::max(consumed, std::min(firstIncomplete, buffer_.size()));
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(keepFrom));
  return frames;
}

} // namespace kv816
