#include "model/meter.h"

#include <bit>

#include "model/channel_layout.h"
#include "model/parameter_table.h"

namespace kv816 {

int meterWordIndex(int channel) {
  return isValidChannel(channel) ? IDX_METER_FIRST + channel / 2 : -1;
}

int meterByteOf(int32_t word, int channel) {
  const int shift = channel % 2 == 1 ? 8 : 0;
  return (word >> shift) & 0xFF;
}

uint32_t meterSegments(int channelByte, int segments) {
  if (segments < 2 || segments > 32)
    return 0;
  const int steps = std::popcount(static_cast<unsigned>(channelByte) & 0x1Fu);
  const int lit = steps * (segments - 1) / METER_LEVEL_STEPS;
  uint32_t mask = (1u << lit) - 1u; // lit <= segments - 1 <= 31
  if (channelByte & METER_TOP_FLAG)
    mask |= 1u << (segments - 1);
  return mask;
}

} // namespace kv816
