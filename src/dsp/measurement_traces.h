#pragma once
// What the channel graph and `kv816ctl response` draw over a measurement: the measured
// level, the level predicted with this channel's equaliser and crossover applied, and the
// target. The user's level offset moves the measured and predicted traces; nothing is
// rescaled behind the user's back. Any thread; reads the table as computeChannelResponse does.

#include <span>
#include <vector>

#include "dsp/channel_response.h"
#include "dsp/measurement.h"
#include "dsp/target_curve.h"

namespace kv816 {

struct MeasurementTraces {
  // One entry per requested frequency; NaN where the measurement (or a file target) has no
  // point in range.
  std::vector<double> measured;  // measured level + offset
  std::vector<double> predicted; // measured + the channel's response total
  std::vector<double> target;    // target level
  ChannelResponse response;      // the channel's own response at the same frequencies
};

// Fills `out` at each of `frequencies` (Hz). The status is computeChannelResponse's (the
// Channel view); `out` is left empty on failure.
ResponseStatus computeMeasurementTraces(const ParameterTable& table, int channel,
                                        const Measurement& measurement, const TargetCurve& target,
                                        double levelOffsetDb, std::span<const double> frequencies,
                                        MeasurementTraces& out);

// The offset that puts the measurement's level nearest 1 kHz on the 0 dB line, in whole
// dB: a starting value the user sees and may change. 0 for an empty measurement.
double suggestedLevelOffset(const Measurement& measurement);

} // namespace kv816
