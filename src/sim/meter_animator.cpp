#include "sim/meter_animator.h"

#include <algorithm>

namespace kv816 {

MeterAnimator::MeterAnimator(uint32_t seed) : rng_(seed) {
  for (int c = 0; c < CHANNELS; ++c)
    levels_[c] = c % (MAX_LEVEL + 1);
}

uint8_t MeterAnimator::channelByte(int level, bool clip) {
  const int bits = (1 << std::clamp(level, 0, MAX_LEVEL)) - 1;
  return static_cast<uint8_t>(bits | (clip ? 0x20 : 0));
}

std::array<uint16_t, METER_WORD_COUNT> MeterAnimator::next() {
  std::uniform_int_distribution<int> step(-1, 1);
  std::uniform_int_distribution<int> clipRoll(0, 3);
  std::array<uint8_t, CHANNELS> bytes{};
  for (int c = 0; c < CHANNELS; ++c) {
    levels_[c] = std::clamp(levels_[c] + step(rng_), 0, MAX_LEVEL);
    const bool clip = levels_[c] == MAX_LEVEL && clipRoll(rng_) == 0;
    bytes[c] = channelByte(levels_[c], clip);
  }
  std::array<uint16_t, METER_WORD_COUNT> words{};
  for (int w = 0; w < METER_WORD_COUNT; ++w)
    words[w] = static_cast<uint16_t>(bytes[2 * w] | bytes[2 * w + 1] << 8);
  return words;
}

} // namespace kv816
