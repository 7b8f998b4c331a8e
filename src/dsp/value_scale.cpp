#include "dsp/value_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "dsp/number_format.h"
#include "dsp/scale_tables.h"

namespace kv816 {
namespace {

// One raw delay unit is 4.8 samples at 48 kHz, a tenth of a millisecond.
constexpr double SAMPLES_PER_UNIT = 4.8;
constexpr double SAMPLES_PER_MS = 48.0;
constexpr double METRES_PER_MS = 0.346;
constexpr double INCHES_PER_MS = 13.622047244094489;

int divisorOf(const ScaleConfig& c) {
  return c.divisor > 0 ? c.divisor : 1;
}

// trunc() into an int without undefined behaviour for huge or NaN input.
int truncToInt(double v) {
  if (std::isnan(v)) {
    return 0;
  }
  constexpr double lo = std::numeric_limits<int>::min();
  constexpr double hi = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(std::trunc(v), lo, hi));
}

template <size_t N> double tableAt(const std::array<double, N>& table, int raw) {
  return table[static_cast<size_t>(std::clamp(raw, 0, static_cast<int>(N) - 1))];
}

// The index rule shared by the table scales: at or below the first entry gives 0.
template <size_t N> int tableIndex(const std::array<double, N>& table, int count, double v) {
  if (std::isnan(v) || v <= table[0]) {
    return 0;
  }
  return ceilingIndex(std::span<const double>(table), count, v);
}

double delayMs(int raw) {
  return raw * SAMPLES_PER_UNIT / SAMPLES_PER_MS;
}

int delayRaw(double x, double unitsPerMs) {
  return truncToInt(x * SAMPLES_PER_MS / SAMPLES_PER_UNIT / unitsPerMs + 0.5);
}

std::string formatQ(double q) {
  if (q < 10) {
    return formatNumber("%0.2f", q);
  }
  return formatNumber(q < 100 ? "%0.1f" : "%0.0f", q);
}

std::string formatFrequency(int raw, int d) {
  const int v = raw / d;
  if (v < 20 || v > 20000) {
    return "OFF";
  }
  return formatNumber("%0.0f", v);
}

} // namespace

std::string formatValue(const ScaleConfig& config, int raw) {
  const int d = divisorOf(config);
  switch (config.code) {
  case SCALE_FREQ:
    return formatFrequency(raw, d);
  case SCALE_Q:
    return formatQ(tableAt(QTable, raw) / d);
  case SCALE_DELAY_MS:
    return formatNumber("%0.1fms", delayMs(raw) / d);
  case SCALE_DELAY_M:
    return formatNumber("%0.2fm", delayMs(raw) * METRES_PER_MS / d);
  case SCALE_DELAY_IN:
    return formatNumber("%0.1fin", delayMs(raw) * INCHES_PER_MS / d);
  case SCALE_DBU:
    return formatNumber("%0.0fdBu", static_cast<double>(raw) / d);
  case SCALE_ATTACK:
    return formatNumber("%0.1fms", tableAt(AttackTable, raw) / d);
  case SCALE_RELEASE:
    return formatNumber("x%0.1fms", tableAt(ReleaseTable, raw) / d);
  case SCALE_RATIO:
    return formatNumber("%0.1f", tableAt(RatioTable, raw) / d);
  default:
    return formatNumber(config.format, static_cast<double>(raw) / d);
  }
}

double toUnits(const ScaleConfig& config, int raw) {
  const int d = divisorOf(config);
  switch (config.code) {
  case SCALE_Q:
    return raw < 0 ? 0.0 : tableAt(QTable, raw) / d;
  case SCALE_DELAY_MS:
  case SCALE_DELAY_M:
  case SCALE_DELAY_IN:
    return delayMs(raw) / d;
  case SCALE_ATTACK:
    return tableAt(AttackTable, raw) / d;
  case SCALE_RELEASE:
    return tableAt(ReleaseTable, raw) / d;
  case SCALE_RATIO:
    return tableAt(RatioTable, raw) / d;
  default:
    return static_cast<double>(raw) / d;
  }
}

namespace {

int unclampedRaw(const ScaleConfig& config, double x, std::string_view text) {
  const int d = divisorOf(config);
  switch (config.code) {
  case SCALE_Q:
    return tableIndex(QTable, Q_TABLE_COUNT, x * d);
  case SCALE_DELAY_MS:
    return delayRaw(x, 1.0);
  case SCALE_DELAY_M:
    return delayRaw(x, text.empty() ? 1.0 : METRES_PER_MS);
  case SCALE_DELAY_IN:
    return delayRaw(x, text.empty() ? 1.0 : INCHES_PER_MS);
  case SCALE_DBU:
    return truncToInt(x); // whole dBu: the divisor does not apply
  case SCALE_ATTACK:
    return tableIndex(AttackTable, ATTACK_TABLE_COUNT, x * d);
  case SCALE_RELEASE:
    return tableIndex(ReleaseTable, RELEASE_TABLE_COUNT, x * d);
  case SCALE_RATIO:
    return tableIndex(RatioTable, RATIO_TABLE_COUNT, x * d);
  default:
    return truncToInt(x * d);
  }
}

} // namespace

int fromUnits(const ScaleConfig& config, double x, std::string_view text) {
  int raw = unclampedRaw(config, x, text);
  if (raw < config.min) {
    raw = config.min;
  }
  if (raw > config.max) {
    raw = config.max;
  }
  return raw;
}

int parseTyped(const ScaleConfig& config, std::string_view text, int current) {
  if (text == "OFF") {
    return current;
  }
  std::string kept;
  for (const char ch : text) {
    if ((ch >= '0' && ch <= '9') || ch == '.' || ch == '-') {
      kept += ch;
    }
  }
  double x = 0.0;
  readLeadingDecimal(kept, x);
  return fromUnits(config, x, text);
}

} // namespace kv816
