// Fuzzes the measurement reader: any bytes either give a usable curve or a message, never
// a half-read one. A curve has enough points, finite values, frequencies above 0 and
// strictly rising, one phase per point or none; interpolation inside it is finite and
// outside it NaN.

#include <cmath>
#include <cstdint>
#include <string_view>

#include "dsp/measurement.h"
#include "fuzz_check.h"

using kv816::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const kv816::MeasurementRead r = kv816::parseMeasurement(text);
  const kv816::Measurement& m = r.measurement;
  if (!r.error.empty()) {
    check(m.frequencies.empty() && m.levels.empty() && m.phases.empty());
    return 0;
  }
  check(m.frequencies.size() >= kv816::MEASUREMENT_MIN_POINTS);
  check(m.levels.size() == m.frequencies.size());
  check(m.phases.empty() || m.phases.size() == m.frequencies.size());
  for (size_t i = 0; i < m.frequencies.size(); ++i) {
    check(std::isfinite(m.frequencies[i]) && m.frequencies[i] > 0.0);
    check(std::isfinite(m.levels[i]));
    check(i == 0 || m.frequencies[i] > m.frequencies[i - 1]);
    if (i > 0) {
      const double mid = std::sqrt(m.frequencies[i - 1] * m.frequencies[i]);
      check(!std::isnan(kv816::measuredLevelAt(m, mid)) || !std::isfinite(mid));
    }
  }
  check(std::isnan(kv816::measuredLevelAt(m, m.frequencies.front() / 2)));
  return 0;
}
