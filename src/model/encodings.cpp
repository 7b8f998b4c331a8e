#include "model/encodings.h"

#include <cmath>

namespace kv816 {

namespace {
// Far below the 0.1 steps of any control, far above double rounding error at these sizes.
constexpr double TOLERANCE = 1e-6;

int low16(int32_t raw) {
  return static_cast<int>(static_cast<uint16_t>(raw));
}
} // namespace

int truncateRaw(double value) {
  const double nudged = value >= 0 ? value + TOLERANCE : value - TOLERANCE;
  return static_cast<int>(std::trunc(nudged));
}

int encodeFrequency(double hz) {
  if (hz < 100.0)
    return truncateRaw(hz * 10.0 + FREQ_TENTHS_FLAG);
  return truncateRaw(hz);
}

double decodeFrequency(int32_t raw) {
  const int word = low16(raw);
  if (word < FREQ_TENTHS_FLAG)
    return word;
  return (word - FREQ_TENTHS_FLAG) / 10.0;
}

int encodeQ(double q, bool slope12) {
  const int value = truncateRaw(q * 100.0) & Q_VALUE_MASK;
  return slope12 ? value | Q_SLOPE_BIT : value;
}

QValue decodeQ(int32_t raw) {
  const int word = low16(raw);
  return {(word & Q_VALUE_MASK) / 100.0, word > Q_SLOPE_BIT};
}

int encodeChannelGain(double db) {
  return truncateRaw(db * 10.0 + CHANNEL_GAIN_ZERO);
}
double decodeChannelGain(int32_t raw) {
  return (raw - CHANNEL_GAIN_ZERO) / 10.0;
}

int encodeEqGain(double db) {
  return truncateRaw(db * 10.0 + EQ_GAIN_ZERO);
}
double decodeEqGain(int32_t raw) {
  return (raw - EQ_GAIN_ZERO) / 10.0;
}

int encodeDelay(double ms) {
  return truncateRaw(ms * SAMPLES_PER_MS + 0.5);
}
double decodeDelay(int32_t raw) {
  return (raw + 0.5) / SAMPLES_PER_MS;
}

int encodeRatio(double ratio) {
  return truncateRaw(ratio * 10.0);
}
double decodeRatio(int32_t raw) {
  return raw / 10.0;
}

int encodeAttack(double ms) {
  return truncateRaw(ms * 10.0);
}
double decodeAttack(int32_t raw) {
  return raw / 10.0;
}

int encodeThreshold(int dbu) {
  return dbu + THRESHOLD_OFFSET;
}
int decodeThreshold(int32_t raw) {
  return raw - THRESHOLD_OFFSET;
}

int peqTypePosition(int32_t code) {
  switch (code) {
  case BAND_TYPE_OFF:
    return 0;
  case BAND_TYPE_HIGH_SHELF:
    return 2;
  case BAND_TYPE_LOW_SHELF:
    return 3;
  default:
    return 1;
  }
}

int peqTypeCode(int position) {
  switch (position) {
  case 0:
    return BAND_TYPE_OFF;
  case 2:
    return BAND_TYPE_HIGH_SHELF;
  case 3:
    return BAND_TYPE_LOW_SHELF;
  default:
    return BAND_TYPE_PEAKING;
  }
}

} // namespace kv816
