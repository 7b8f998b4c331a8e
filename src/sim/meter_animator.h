#pragma once
// Moves the six meter words (indexes 3..8, two channels each, low byte first channel):
// every channel's level wanders by at most one step per frame. A channel byte holds its
// level as that many low bits set among bits 0..4, and bit 5 when the channel clips.
//
// Not thread-safe: the SimulatedDevice calls it under its own lock.

#include <array>
#include <cstdint>
#include <random>

#include "model/parameter_table.h"

namespace kv816 {

class MeterAnimator {
public:
  static constexpr int CHANNELS = 2 * METER_WORD_COUNT;
  static constexpr int MAX_LEVEL = 5;

  explicit MeterAnimator(uint32_t seed = 1);

  // Advances every channel one frame and returns the six words.
  std::array<uint16_t, METER_WORD_COUNT> next();

  static uint8_t channelByte(int level, bool clip);

private:
  std::mt19937 rng_;
  std::array<int, CHANNELS> levels_{};
};

} // namespace kv816
