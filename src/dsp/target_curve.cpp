#include "dsp/target_curve.h"

#include <algorithm>
#include <cmath>

namespace kv816 {

TargetCurve TargetCurve::tilt(double dbPerOctave, double fromHz, double toHz) {
  TargetCurve t;
  if (std::isfinite(dbPerOctave) && fromHz > 0.0 && toHz > fromHz && std::isfinite(toHz)) {
    t.kind_ = Kind::Tilt;
    t.dbPerOctave_ = dbPerOctave;
    t.fromHz_ = fromHz;
    t.toHz_ = toHz;
  }
  return t;
}

TargetCurve TargetCurve::fromFile(Measurement curve) {
  TargetCurve t;
  t.kind_ = Kind::File;
  t.curve_ = std::move(curve);
  return t;
}

double TargetCurve::levelAt(double frequency) const {
  switch (kind_) {
  case Kind::Tilt:
    return dbPerOctave_ * std::log2(std::clamp(frequency, fromHz_, toHz_) / fromHz_);
  case Kind::File:
    return measuredLevelAt(curve_, frequency);
  case Kind::Flat:
    break;
  }
  return 0.0;
}

} // namespace kv816
