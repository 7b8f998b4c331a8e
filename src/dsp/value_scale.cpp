#include "dsp/value_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
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

namespace {

// A typed entry: a number, an optional "k" (thousands, "1k2" is 1200) and a unit word.
struct Typed {
  double value = 0.0;
  std::string unit;
};

bool isSpace(char ch) {
  return ch == ' ' || ch == '\t';
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isSpace(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

char lower(char ch) {
  return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

bool isDigit(char ch) {
  return ch >= '0' && ch <= '9';
}

// The leading number of `text` (sign, digits, one point); its length, 0 when there is none.
size_t numberLength(std::string_view text) {
  size_t at = 0;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
    ++at;
  }
  size_t digits = 0;
  bool point = false;
  for (; at < text.size(); ++at) {
    if (isDigit(text[at])) {
      ++digits;
    } else if (text[at] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  return digits > 0 ? at : 0;
}

double readNumber(std::string_view number) {
  if (!number.empty() && number.front() == '+') {
    number.remove_prefix(1);
  }
  double value = 0.0;
  readLeadingDecimal(number, value);
  return value;
}

std::optional<Typed> readTyped(std::string_view text) {
  // The release times show as "x2.0ms"; their leading x is part of the look, not the value.
  if (!text.empty() && lower(text.front()) == 'x') {
    text.remove_prefix(1);
  }
  const size_t length = numberLength(text);
  if (length == 0) {
    return std::nullopt;
  }
  Typed typed{readNumber(text.substr(0, length)), {}};
  text.remove_prefix(length);
  if (!text.empty() && lower(text.front()) == 'k' && !equalsNoCase(trim(text), "khz")) {
    text.remove_prefix(1);
    const size_t fraction = numberLength(text);
    const bool digitsOnly = fraction > 0 && isDigit(text.front());
    if (fraction > 0 && !digitsOnly) {
      return std::nullopt;
    }
    const std::string_view tail = text.substr(0, fraction);
    const double scale = std::pow(10.0, -static_cast<double>(tail.size()));
    typed.value = (typed.value + (tail.empty() ? 0.0 : readNumber(tail) * scale)) * 1000.0;
    text.remove_prefix(fraction);
  }
  for (const char ch : trim(text)) {
    typed.unit += lower(ch);
  }
  return typed;
}

// The typed value in the unit the scale's fromUnits takes (milliseconds for every delay
// code); nothing when the unit does not belong to the scale.
std::optional<double> inScaleUnits(int code, const Typed& typed) {
  const std::string& unit = typed.unit;
  switch (code) {
  case SCALE_DELAY_MS:
  case SCALE_DELAY_M:
  case SCALE_DELAY_IN: {
    const std::string own = code == SCALE_DELAY_MS ? "ms" : code == SCALE_DELAY_M ? "m" : "in";
    const std::string as = unit.empty() ? own : unit;
    if (as == "ms") {
      return typed.value;
    }
    if (as == "s") {
      return typed.value * 1000.0;
    }
    if (as == "m") {
      return typed.value / METRES_PER_MS;
    }
    if (as == "cm") {
      return typed.value / 100.0 / METRES_PER_MS;
    }
    if (as == "in" || as == "\"") {
      return typed.value / INCHES_PER_MS;
    }
    if (as == "ft") {
      return typed.value * 12.0 / INCHES_PER_MS;
    }
    return std::nullopt;
  }
  case SCALE_FREQ:
    if (unit.empty() || unit == "hz") {
      return typed.value;
    }
    if (unit == "khz") {
      return typed.value * 1000.0;
    }
    return std::nullopt;
  case SCALE_ATTACK:
  case SCALE_RELEASE:
    return unit.empty() || unit == "ms" ? std::optional<double>(typed.value) : std::nullopt;
  case SCALE_DBU:
    return unit.empty() || unit == "dbu" || unit == "db" ? std::optional<double>(typed.value)
                                                         : std::nullopt;
  case SCALE_Q:
  case SCALE_RATIO:
    return unit.empty() ? std::optional<double>(typed.value) : std::nullopt;
  default:
    return unit.empty() || unit == "db" ? std::optional<double>(typed.value) : std::nullopt;
  }
}

} // namespace

std::optional<int> parseTyped(const ScaleConfig& config, std::string_view text, int current) {
  const std::string_view trimmed = trim(text);
  if (equalsNoCase(trimmed, "OFF")) {
    return current;
  }
  const std::optional<Typed> typed = readTyped(trimmed);
  if (!typed) {
    return std::nullopt;
  }
  const std::optional<double> x = inScaleUnits(config.code, *typed);
  if (!x) {
    return std::nullopt;
  }
  return fromUnits(config, *x);
}

} // namespace kv816
