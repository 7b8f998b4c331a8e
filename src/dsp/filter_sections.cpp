#include "dsp/filter_sections.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kv816 {
namespace {

enum class Kind : uint8_t { HP1, LP1, HP2, LP2 };

struct Stage {
  Kind kind;
  double b; // second-order stages: Q = sqrt(b)
};

struct CodeEntry {
  int code;
  int count;
  std::array<Stage, MAX_SECTIONS> stages;
};

constexpr Stage hp1{Kind::HP1, 0.0};
constexpr Stage lp1{Kind::LP1, 0.0};
constexpr Stage hp2(double b) {
  return {Kind::HP2, b};
}
constexpr Stage lp2(double b) {
  return {Kind::LP2, b};
}

// The b values are the device's own, digit for digit.
constexpr std::array<CodeEntry, 36> CODES{{
    {8, 1, {hp2(0.4997)}},
    {9, 1, {lp2(0.5019)}},
    {10, 1, {hp2(0.333)}},
    {11, 1, {lp2(0.3345)}},
    {12, 1, {hp2(0.4995)}},
    {13, 1, {lp2(0.5019)}},
    {14, 2, {hp1, hp2(0.999)}},
    {15, 2, {lp1, lp2(1.0048)}},
    {16, 2, {hp1, hp2(0.333)}},
    {17, 2, {lp1, lp2(0.3345)}},
    {18, 2, {hp1, hp2(0.4995)}},
    {19, 2, {lp1, lp2(0.5019)}},
    {20, 2, {hp2(1.7039), hp2(0.2925)}},
    {21, 2, {lp2(1.717), lp2(0.2939)}},
    {22, 2, {hp2(0.333), hp2(0.333)}},
    {23, 2, {lp2(0.3345), lp2(0.3345)}},
    {24, 2, {hp2(0.4995), hp2(0.4995)}},
    {25, 2, {lp2(0.5019), lp2(0.5019)}},
    {26, 4, {hp2(6.6331), hp2(0.8136), hp2(0.3629), hp2(0.2607)}},
    {27, 4, {lp2(6.6331), lp2(0.8136), lp2(0.3629), lp2(0.2607)}},
    {28, 4, {hp2(0.333), hp2(0.333), hp2(0.333), hp2(0.333)}},
    {29, 4, {lp2(0.3345), lp2(0.3345), lp2(0.3345), lp2(0.3345)}},
    {30, 4, {hp2(1.7054), hp2(0.2926), hp2(1.7054), hp2(0.2926)}},
    {31, 4, {lp2(1.717), lp2(0.2939), lp2(1.717), lp2(0.2939)}},
    {40, 1, {hp1}},
    {41, 1, {lp1}},
    {42, 1, {hp1}},
    {43, 1, {lp1}},
    {44, 1, {hp1}},
    {45, 1, {lp1}},
    {52, 4, {hp1, hp2(1.7039), hp1, hp2(0.2925)}},
    {53, 3, {lp2(2.57548), lp2(0.901998), lp2(0.602412)}},
    {54, 3, {hp2(0.577062), hp2(0.577062), hp2(0.577062)}},
    {55, 3, {lp2(0.57836), lp2(0.57836), lp2(0.57836)}},
    {56, 3, {hp2(0.4995), hp2(0.4995), hp2(0.4995)}},
    {57, 3, {lp2(0.5019), lp2(0.5019), lp2(0.5019)}},
}};

Section normalised(double b0, double b1, double b2, double a0, double a1, double a2) {
  return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

Section stageSection(const Stage& stage, double cw, double sw) {
  switch (stage.kind) {
  case Kind::HP1: {
    const double g = cw / (sw + 1.0);
    return {(1.0 + g) / 2.0, -(1.0 + g) / 2.0, 0.0, -g, 0.0};
  }
  case Kind::LP1: {
    const double g = cw / (sw + 1.0);
    return {(1.0 - g) / 2.0, (1.0 - g) / 2.0, 0.0, -g, 0.0};
  }
  case Kind::HP2: {
    const double alpha = (sw / 2.0) / std::sqrt(stage.b);
    return normalised((1.0 + cw) / 2.0, -(1.0 + cw), (1.0 + cw) / 2.0, 1.0 + alpha, -2.0 * cw,
                      1.0 - alpha);
  }
  case Kind::LP2:
  default: {
    const double alpha = (sw / 2.0) / std::sqrt(stage.b);
    return normalised((1.0 - cw) / 2.0, 1.0 - cw, (1.0 - cw) / 2.0, 1.0 + alpha, -2.0 * cw,
                      1.0 - alpha);
  }
  }
}

Section shelfSection(bool high, double cw, double sw, double q, double a) {
  const double beta = std::sqrt(a) * sw / std::min(q, SHELF_Q_MAX);
  if (high) {
    return normalised(a * ((a + 1) + (a - 1) * cw + beta), -2 * a * ((a - 1) + (a + 1) * cw),
                      a * ((a + 1) + (a - 1) * cw - beta), (a + 1) - (a - 1) * cw + beta,
                      2 * ((a - 1) - (a + 1) * cw), (a + 1) - (a - 1) * cw - beta);
  }
  return normalised(a * ((a + 1) - (a - 1) * cw + beta), 2 * a * ((a - 1) - (a + 1) * cw),
                    a * ((a + 1) - (a - 1) * cw - beta), (a + 1) + (a - 1) * cw + beta,
                    -2 * ((a - 1) + (a + 1) * cw), (a + 1) + (a - 1) * cw - beta);
}

} // namespace

double bandAmplitudeFromCut(int cutTenths) {
  return std::pow(10.0, -cutTenths / 400.0);
}

Section bandSection(double f0, double q, int bandType, double amplitude) {
  if (!(q > 0.0)) {
    q = BAND_Q_MIN; // a zero Q would divide by zero; the graph never holds one
  }
  const double w0 = angularFrequency(f0);
  const double cw = std::cos(w0);
  const double sw = std::sin(w0);
  if (bandType == BAND_TYPE_HIGH_SHELF || bandType == BAND_TYPE_LOW_SHELF) {
    return shelfSection(bandType == BAND_TYPE_HIGH_SHELF, cw, sw, q, amplitude);
  }
  const double alpha = sw / (2.0 * q);
  return normalised(1.0 + alpha * amplitude, -2.0 * cw, 1.0 - alpha * amplitude,
                    1.0 + alpha / amplitude, -2.0 * cw, 1.0 - alpha / amplitude);
}

SectionSet filterSections(int code, double frequency) {
  SectionSet set;
  for (const CodeEntry& entry : CODES) {
    if (entry.code != code) {
      continue;
    }
    const double w0 = angularFrequency(frequency);
    const double cw = std::cos(w0);
    const double sw = std::sin(w0);
    for (int i = 0; i < entry.count; ++i) {
      set.sections[i] = stageSection(entry.stages[i], cw, sw);
    }
    set.count = entry.count;
    break;
  }
  return set;
}

bool isFilterOff(bool lowPass, double frequency, double maximum) {
  if (!(frequency >= FILTER_OFF_BELOW)) {
    return true;
  }
  return lowPass ? frequency >= maximum : frequency > maximum;
}

} // namespace kv816
