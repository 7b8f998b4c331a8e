#include "dsp/measurement_traces.h"

#include <cmath>

namespace kv816 {

namespace {
constexpr double REFERENCE_HZ = 1000.0;
}

ResponseStatus computeMeasurementTraces(const ParameterTable& table, int channel,
                                        const Measurement& measurement, const TargetCurve& target,
                                        double levelOffsetDb, std::span<const double> frequencies,
                                        MeasurementTraces& out) {
  out = {};
  const ResponseStatus status =
      computeChannelResponse(table, channel, ResponseView::Channel, frequencies, out.response);
  if (status != ResponseStatus::Ok) {
    return status;
  }
  const size_t n = frequencies.size();
  out.measured.resize(n);
  out.predicted.resize(n);
  out.target.resize(n);
  for (size_t i = 0; i < n; ++i) {
    out.measured[i] = measuredLevelAt(measurement, frequencies[i]) + levelOffsetDb;
    out.predicted[i] = out.measured[i] + out.response.total[i];
    out.target[i] = target.levelAt(frequencies[i]);
  }
  return status;
}

double suggestedLevelOffset(const Measurement& measurement) {
  if (measurement.frequencies.empty()) {
    return 0.0;
  }
  double level = measuredLevelAt(measurement, REFERENCE_HZ);
  if (std::isnan(level)) {
    level = REFERENCE_HZ < measurement.frequencies.front() ? measurement.levels.front()
                                                           : measurement.levels.back();
  }
  return -std::round(level);
}

} // namespace kv816
