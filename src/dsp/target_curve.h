#pragma once
// The response a channel is tuned towards, drawn beside the measurement: flat, a tilt of so
// many dB per octave between two frequencies, or a curve read from a file in the
// measurement's format. Levels are relative (0 dB is the measurement's reference after the
// user's level offset). Immutable after construction; any thread.

#include "dsp/measurement.h"

namespace kv816 {

class TargetCurve {
public:
  enum class Kind { Flat, Tilt, File };

  // Flat at 0 dB.
  TargetCurve() = default;
  // 0 dB up to fromHz, then dbPerOctave per octave up to toHz, level beyond. Needs
  // 0 < fromHz < toHz; otherwise the curve is flat.
  static TargetCurve tilt(double dbPerOctave, double fromHz, double toHz);
  // A measured or drawn curve; its levels are taken as they are.
  static TargetCurve fromFile(Measurement curve);

  Kind kind() const { return kind_; }
  // The level in dB at `frequency`; for a file, NaN outside its frequency range.
  double levelAt(double frequency) const;

private:
  Kind kind_ = Kind::Flat;
  double dbPerOctave_ = 0.0;
  double fromHz_ = 0.0;
  double toHz_ = 0.0;
  Measurement curve_;
};

} // namespace kv816
