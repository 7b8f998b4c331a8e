#pragma once
// Conversions between parameter words and engineering values. Encoders truncate toward
// zero after the stated addition, as the device expects; the values the editing controls
// produce are exact, and a tiny tolerance absorbs binary floating-point error so that,
// for example, 0.3 ms still gives 14 samples and 57.3 Hz gives 33341.
// All functions are pure and may be called from any thread.

#include <cstdint>

namespace kv816 {

// Frequency word: below 0x8000 whole hertz, at or above 0x8000 it is 0x8000 plus tenths.
inline constexpr int FREQ_TENTHS_FLAG = 0x8000;
// Q word: bits 0..14 hold Q x 100, bit 15 the shelf slope ("12dB" when set).
inline constexpr int Q_SLOPE_BIT = 0x8000;
inline constexpr int Q_VALUE_MASK = 0x7FFF;

inline constexpr int CHANNEL_GAIN_ZERO = 360; // raw of 0 dB channel gain
inline constexpr int CHANNEL_GAIN_MAX = 480;  // +12.0 dB
inline constexpr int EQ_GAIN_ZERO = 500;      // raw of 0 dB equaliser gain
inline constexpr int DELAY_MAX = 24000;       // samples: 500 ms at 48 kHz
inline constexpr int SAMPLES_PER_MS = 48;
inline constexpr int THRESHOLD_OFFSET = 100; // raw = dBu + 100
inline constexpr int NOISE_GATE_MAX = 120;   // raw n means -n dB

// Parametric (and graphic) band type codes.
inline constexpr int BAND_TYPE_OFF = 0;
inline constexpr int BAND_TYPE_HIGH_SHELF = 5;
inline constexpr int BAND_TYPE_LOW_SHELF = 6;
inline constexpr int BAND_TYPE_PEAKING = 7;

// Rounds a non-negative or negative real toward zero, forgiving representation error.
int truncateRaw(double value);

// Below 100 Hz: f x 10 + 0x8000 (0.1 Hz steps); from 100 Hz: whole hertz.
int encodeFrequency(double hz);
// Accepts both forms whatever the frequency; only the low 16 bits are read.
double decodeFrequency(int32_t raw);

struct QValue {
  double q = 0.0;
  bool slope12 = false; // shelf slope: false "6dB", true "12dB"
};
int encodeQ(double q, bool slope12);
// Q = (raw & 0x7FFF) / 100; the slope counts as "12dB" only when raw is above 0x8000, so
// exactly 0x8000 reads as Q 0.00 with "6dB".
QValue decodeQ(int32_t raw);

// Channel gain: raw = dB x 10 + 360 (-36.0..+12.0 dB).
int encodeChannelGain(double db);
double decodeChannelGain(int32_t raw);
// Equaliser gain: raw = dB x 10 + 500.
int encodeEqGain(double db);
double decodeEqGain(int32_t raw);

// Delay in samples at 48 kHz: nearest sample on writing, sample centre on reading.
int encodeDelay(double ms);
double decodeDelay(int32_t raw);

// Compressor words.
int encodeRatio(double ratio); // ratio x 10
double decodeRatio(int32_t raw);
int encodeAttack(double ms); // ms x 10
double decodeAttack(int32_t raw);
int encodeThreshold(int dbu); // dBu + 100
int decodeThreshold(int32_t raw);
// The release word is the multiple itself.

// Flags from the device: any value above 0 counts as set.
constexpr bool decodeFlag(int32_t raw) {
  return raw > 0;
}

// Band type list of the parametric equaliser: 0 "ByPass", 1 "PEQ", 2 "HS", 3 "LS".
// Any code other than 0, 5 and 6 is shown as peaking.
int peqTypePosition(int32_t code);
// The code of a list position; peaking for a position outside 0..3.
int peqTypeCode(int position);

} // namespace kv816
