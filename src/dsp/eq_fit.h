#pragma once
// Automatic equaliser fit: parametric bands that bring a channel's measured response,
// with its own filters, toward a target over a frequency range, using only values the
// device stores. The level is the channel gain's business: unless the user gives an
// offset, the mean difference over the range is removed before the error is taken.
// Pure functions; any thread. Reads the table as computeChannelResponse does.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dsp/measurement.h"
#include "dsp/target_curve.h"
#include "model/channel_layout.h"
#include "model/parameter_table.h"

namespace kv816 {

inline constexpr double EQ_FIT_MAX_BOOST_DB = 6.0;
// Below this RMS error the measurement counts as on target already.
inline constexpr double EQ_FIT_FLAT_RMS_DB = 0.5;
// Points per octave of the grid the error is taken on.
inline constexpr int EQ_FIT_POINTS_PER_OCTAVE = 48;

struct EqFitOptions {
  double fromHz = 40.0;
  double toHz = 16000.0;
  // Bands to use, the first free ones in band order; unset: every free band. A band is
  // free when it is not locked and is switched off or flat.
  std::optional<int> bandCount;
  std::array<bool, PEQ_BAND_COUNT> locked{};
  // 0 (cuts only) .. EQ_FIT_MAX_BOOST_DB. A boost is never narrower than Q 2 and is not
  // asked to fill a dip narrower than about half an octave.
  double maxBoostDb = 0.0;
  double qMin = 0.4;
  double qMax = 10.0;
  // Fractional-octave smoothing of the measurement: 0 (none), 12, 6 or 3 for 1/N octave.
  int smoothing = 0;
  // dB added to the measurement; unset: the mean difference to the target is removed.
  std::optional<double> levelOffsetDb;
};

struct EqFitBand {
  int band = 0; // 0-based
  int32_t typeWord = 0;
  int32_t freqWord = 0;
  int32_t gainWord = 0;
  int32_t qWord = 0;
  double frequency = 0.0; // Hz, decoded from the words
  double gainDb = 0.0;
  double q = 0.0;
};

struct EqFitWord {
  int index = 0;
  int32_t value = 0;
};

// Why a fit was refused, so that a caller can say it in its own words and language.
enum class EqFitFailure {
  None,
  NoChannel,
  NoMeasurement,
  RangeLimits, // not within 20-20000 Hz or narrower than an octave
  RangeOutsideMeasurement,
  BandCount, // not 1 to 10
  MaxBoost,
  QRange,
  Smoothing,
  LevelOffset,
  TooFewFreeBands, // freeBands() has fewer than asked, or none
  TargetCoverage,  // a target file that does not cover the range
  AlreadyFlat,
  NoImprovement,
};

struct EqFitResult {
  // Empty on success; otherwise why nothing may change (bands and words are then empty).
  std::string error;
  EqFitFailure failure = EqFitFailure::None;
  int channel = -1;
  std::vector<EqFitBand> bands; // the bands the fit sets, in band order
  // Every word to write, in table order: the bands' words and, when the equaliser was
  // bypassed, its bypass switched off.
  std::vector<EqFitWord> words;
  double rmsBeforeDb = 0.0; // RMS error of the channel as it is
  double rmsAfterDb = 0.0;  // RMS error with the words written
  // Curves on the error's grid, for a preview: the measurement as fitted (smoothed, plus
  // the offset used after the fit), it with the channel's response before and after, and
  // the target.
  double levelOffsetDb = 0.0;
  std::vector<double> frequencies;
  std::vector<double> measured;
  std::vector<double> before;
  std::vector<double> after;
  std::vector<double> target;
};

EqFitResult fitEq(const ParameterTable& table, int channel, const Measurement& measurement,
                  const TargetCurve& target, const EqFitOptions& options);

// The bands a fit with these options may set, in band order (before bandCount applies).
std::vector<int> freeBands(const ParameterTable& table, int channel,
                           const std::array<bool, PEQ_BAND_COUNT>& locked);

// Frequencies from fromHz to toHz, EQ_FIT_POINTS_PER_OCTAVE per octave.
std::vector<double> fitGrid(double fromHz, double toHz);

// The measurement at each frequency, averaged in dB over 1/smoothing octave around it
// (smoothing 0: as measured). NaN where the measurement has no point.
std::vector<double> smoothedLevels(const Measurement& measurement,
                                   const std::vector<double>& frequencies, int smoothing);

} // namespace kv816
