#pragma once
// The values the compressor controls offer, as raw parameter words, in list order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kv816 {

// Attack in ms x 10: 0.5 .. 90.0 ms.
inline constexpr std::array<int, 16> ATTACK_RAW_VALUES = {5,  7,   10,  14,  20,  28,  40,  57,
                                                          80, 110, 160, 230, 320, 450, 640, 900};

// Release multiple; the raw word is the multiple itself.
inline constexpr std::array<int, 8> RELEASE_RAW_VALUES = {2, 4, 6, 8, 12, 16, 24, 32};

// Ratio x 10: 1.0 .. 100.0.
inline constexpr std::array<int, 41> RATIO_RAW_VALUES = {
    10,  12,  14,  16,  18,  20,  24,  28,  32,  36,  40,  44,  48,  52,
    56,  60,  64,  68,  72,  76,  80,  84,  90,  96,  102, 108, 114, 120,
    130, 140, 150, 160, 170, 180, 190, 200, 220, 240, 260, 300, 1000};

// Threshold in whole dBu from -20 to +14; raw = dBu + 100.
inline constexpr int THRESHOLD_MIN_DBU = -20;
inline constexpr int THRESHOLD_MAX_DBU = 14;
inline constexpr int THRESHOLD_RAW_MIN = THRESHOLD_MIN_DBU + 100;
inline constexpr int THRESHOLD_RAW_MAX = THRESHOLD_MAX_DBU + 100;

// Position of a raw value in a list, or -1 when the list does not hold it.
constexpr int listPosition(std::span<const int> list, int32_t raw) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] == raw)
      return static_cast<int>(i);
  }
  return -1;
}

} // namespace kv816
