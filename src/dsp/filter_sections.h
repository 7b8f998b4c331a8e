#pragma once
// Filter sections of the response graph's points: one section per equaliser band, and up
// to four per crossover filter, chosen by its FilterCode. Pure functions; any thread.

#include <array>

#include "dsp/response_math.h"
#include "model/encodings.h"

namespace kv816 {

// BandType: BAND_TYPE_HIGH_SHELF (5), BAND_TYPE_LOW_SHELF (6); every other value (0
// included) is a peaking band. A shelf's Q above this is taken as this.
inline constexpr double SHELF_Q_MAX = 2.0;
// The Q range of a band point.
inline constexpr double BAND_Q_MIN = 0.4;
inline constexpr double BAND_Q_MAX = 128.0;

inline constexpr int MAX_SECTIONS = 4;

struct SectionSet {
  std::array<Section, MAX_SECTIONS> sections{};
  int count = 0;
};

// Amplitude factor A of a band from its gain in tenths of a dB, positive meaning cut (the
// sign of a pixel row): 10^(-G / 400).
double bandAmplitudeFromCut(int cutTenths);

// The one section of an equaliser band at centre frequency f0 (Hz) with amplitude factor
// A (1 is 0 dB). Shelves cap q at SHELF_Q_MAX; a q that is not positive is taken as
// BAND_Q_MIN.
Section bandSection(double f0, double q, int bandType, double amplitude);

// The sections of a crossover filter point with FilterCode `code` at `frequency` Hz, in
// the order they are evaluated. Codes with no sections (34, 35, 38, 39, 46..51, 58..69,
// anything unknown) give an empty set. Even codes are high-pass, odd codes low-pass.
SectionSet filterSections(int code, double frequency);

// The off rule: a high-pass point is off below 19.7 Hz or above its maximum; a low-pass
// point below 19.7 Hz or at or above its maximum. An off point contributes nothing.
bool isFilterOff(bool lowPass, double frequency, double maximum);

} // namespace kv816
