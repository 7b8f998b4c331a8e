#pragma once
// What the response graph draws over a channel's own curve: a measurement, the level it
// is predicted to have with this channel's filters (measurement plus the graph's total),
// and a target. The offset moves the measured and predicted traces; the right-hand axis
// shows the measured level it stands for. Plain data; GUI thread.

#include "dsp/measurement.h"
#include "dsp/target_curve.h"

namespace kv816 {

struct GraphOverlay {
  Measurement measurement; // no points: nothing is drawn
  TargetCurve target;
  double offsetDb = 0.0;
  bool showMeasured = true;
  bool showPredicted = true;
  bool showTarget = true;

  bool active() const { return !measurement.frequencies.empty(); }
};

} // namespace kv816
