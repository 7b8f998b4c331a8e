#pragma once
// How a numeric control turns its raw integer into engineering units and text.
//
// The raw value of a control is not the parameter word: pages translate device encodings
// to engineering values themselves, so the scales know nothing of the device.

#include <string>

namespace kv816 {

enum ScaleCode : int {
  SCALE_PLAIN = 0,     // engineering value x divisor
  SCALE_FREQ = 4,      // Hz x divisor; outside 20..20000 shows "OFF"
  SCALE_Q = 5,         // index into QTable
  SCALE_PEQ_GAIN = 6,  // as SCALE_PLAIN
  SCALE_DELAY_MS = 8,  // tenths of a millisecond
  SCALE_DELAY_M = 9,   // tenths of a millisecond, shown as metres
  SCALE_DELAY_IN = 10, // tenths of a millisecond, shown as inches
  SCALE_DBU = 13,      // whole dBu
  SCALE_ATTACK = 14,   // index into AttackTable
  SCALE_RELEASE = 15,  // index into ReleaseTable
  SCALE_RATIO = 16,    // index into RatioTable
};

struct ScaleConfig {
  int code = SCALE_PLAIN;
  int min = 0;
  int max = 100;
  // Raw units per displayed unit; a divisor of 0 or below is taken as 1.
  int divisor = 1;
  // printf-style format for SCALE_PLAIN and SCALE_PEQ_GAIN; the other codes fix their own.
  std::string format = "%0.0fdB";
};

// The configurations the pages use.
inline const ScaleConfig CHANNEL_GAIN_SCALE{SCALE_PLAIN, -360, 120, 10, "%0.1fdB"};
inline const ScaleConfig DELAY_MS_SCALE{SCALE_DELAY_MS, 0, 5000, 1};
inline const ScaleConfig DELAY_M_SCALE{SCALE_DELAY_M, 0, 5000, 1};
inline const ScaleConfig DELAY_IN_SCALE{SCALE_DELAY_IN, 0, 5000, 1};
inline const ScaleConfig PEQ_FREQ_SCALE{SCALE_FREQ, 20, 20000, 1, "%0.0f"};
inline const ScaleConfig PEQ_Q_SCALE{SCALE_Q, 0, 101, 1};
inline const ScaleConfig PEQ_GAIN_SCALE{SCALE_PEQ_GAIN, -150, 150, 10, "%0.1f"};
inline const ScaleConfig HPF_FREQ_SCALE{SCALE_FREQ, 19, 20000, 1, "%0.0f"};
inline const ScaleConfig LPF_FREQ_SCALE{SCALE_FREQ, 20, 20001, 1, "%0.0f"};
inline const ScaleConfig THRESHOLD_SCALE{SCALE_DBU, -20, 14, 1};
inline const ScaleConfig ATTACK_SCALE{SCALE_ATTACK, 0, 16, 10};
inline const ScaleConfig RELEASE_SCALE{SCALE_RELEASE, 0, 8, 1};
inline const ScaleConfig RATIO_SCALE{SCALE_RATIO, 0, 41, 10};

} // namespace kv816
