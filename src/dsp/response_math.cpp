#include "dsp/response_math.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace kv816 {

double columnToFrequency(double column, int width) {
  return GRAPH_FREQ_MIN *
         std::pow(10.0, column / width * std::log10(GRAPH_FREQ_MAX / GRAPH_FREQ_MIN));
}

int frequencyToColumn(double frequency, int width) {
  if (!(frequency > 0.0)) {
    return 0;
  }
  const double column =
      std::log10(frequency / GRAPH_FREQ_MIN) / std::log10(GRAPH_FREQ_MAX / GRAPH_FREQ_MIN) * width;
  constexpr double lo = std::numeric_limits<int>::min();
  constexpr double hi = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(std::trunc(column), lo, hi));
}

double angularFrequency(double frequency) {
  return frequency * TWO_PI / SAMPLE_RATE;
}

double dbToPixels(double db, int plotHeight) {
  return db * plotHeight * (-10.0) / (LEVEL_MAX - LEVEL_MIN);
}

int zeroLineOffset(int plotHeight) {
  return plotHeight * LEVEL_MAX / (LEVEL_MAX - LEVEL_MIN);
}

int gainFromRow(int row, int plotHeight) {
  if (plotHeight < 2) {
    return 0;
  }
  return row * (LEVEL_MAX - LEVEL_MIN) / (plotHeight - 1);
}

double sectionLevel(const Section& s, double c, double sn) {
  // z = c + j s; N = b0 z^2 + b1 z + b2, D = z^2 + a1 z + a2.
  const double zr2 = c * c - sn * sn;
  const double zi2 = 2.0 * c * sn;
  const double nr = s.b0 * zr2 + s.b1 * c + s.b2;
  const double ni = s.b0 * zi2 + s.b1 * sn;
  const double dr = zr2 + s.a1 * c + s.a2;
  const double di = zi2 + s.a1 * sn;
  float power = static_cast<float>((nr * nr + ni * ni) / (dr * dr + di * di));
  // A true zero or pole would give an infinite level and no drawable pixel.
  power = std::isnan(power) ? 1.0f : std::clamp(power, FLT_MIN, FLT_MAX);
  const float magnitude = static_cast<float>(std::sqrt(static_cast<double>(power)));
  const float logarithm = static_cast<float>(std::log10(static_cast<double>(magnitude)));
  return 20.0 * logarithm;
}

double sectionLevelAt(const Section& section, double w) {
  return sectionLevel(section, std::cos(w), std::sin(w));
}

} // namespace kv816
