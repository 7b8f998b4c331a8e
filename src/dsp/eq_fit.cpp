#include "dsp/eq_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "dsp/channel_response.h"
#include "dsp/eq_fit_problem.h"
#include "dsp/eq_fit_steps.h"
#include "dsp/filter_sections.h"
#include "model/encodings.h"

namespace kv816 {
namespace {

constexpr int REFINE_EVALUATIONS = 6000;
constexpr double SMOOTHING_SAMPLE_OCTAVES = 1.0 / 96.0;
// A dip narrower than half this many octaves leaves the running median untouched.
constexpr double DIP_MEDIAN_OCTAVES = 1.0;

EqFitResult failure(EqFitFailure kind, std::string message) {
  EqFitResult r;
  r.failure = kind;
  r.error = std::move(message);
  return r;
}

struct OptionProblem {
  EqFitFailure kind = EqFitFailure::None;
  std::string message;
};

std::string hz(double f) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", f);
  return text;
}

OptionProblem checkOptions(const Measurement& m, const EqFitOptions& o) {
  using F = EqFitFailure;
  if (m.frequencies.size() < 2) {
    return {F::NoMeasurement, "no measurement: load one first"};
  }
  if (!(o.fromHz >= BAND_FREQ_MIN && o.toHz <= BAND_FREQ_MAX && o.fromHz * 2.0 <= o.toHz)) {
    return {F::RangeLimits, "the range must lie within 20-20000 Hz and span an octave at least"};
  }
  if (o.fromHz < m.frequencies.front() || o.toHz > m.frequencies.back()) {
    return {F::RangeOutsideMeasurement,
            "the range " + hz(o.fromHz) + "-" + hz(o.toHz) + " Hz is outside the measurement (" +
                hz(m.frequencies.front()) + "-" + hz(m.frequencies.back()) + " Hz)"};
  }
  if (o.bandCount && (*o.bandCount < 1 || *o.bandCount > PEQ_BAND_COUNT)) {
    return {F::BandCount, "the number of bands must be 1 to 10"};
  }
  if (!(o.maxBoostDb >= 0.0 && o.maxBoostDb <= EQ_FIT_MAX_BOOST_DB)) {
    return {F::MaxBoost, "the maximum boost must be 0 to 6 dB"};
  }
  if (!(o.qMin >= BAND_Q_MIN && o.qMax <= BAND_Q_MAX && o.qMin < o.qMax)) {
    return {F::QRange, "the Q range must lie within 0.4-128 with its low end below its high end"};
  }
  if (o.smoothing != 0 && o.smoothing != 3 && o.smoothing != 6 && o.smoothing != 12) {
    return {F::Smoothing, "smoothing must be 0 (none), 12, 6 or 3 (1/N octave)"};
  }
  if (o.levelOffsetDb && !std::isfinite(*o.levelOffsetDb)) {
    return {F::LevelOffset, "the level offset must be a number"};
  }
  return {};
}

std::unique_ptr<ParameterTable> copyOf(const ParameterTable& table) {
  auto copy = std::make_unique<ParameterTable>();
  for (int i = 0; i < PARAM_COUNT; ++i) {
    copy->setParameter(i, table.value(i));
  }
  return copy;
}

std::vector<double> responseTotal(const ParameterTable& table, int channel,
                                  const std::vector<double>& frequencies) {
  ChannelResponse response;
  computeChannelResponse(table, channel, ResponseView::Channel, frequencies, response);
  return response.total;
}

// measured (+ offset) + filters - target at every grid point.
std::vector<double> residualOf(const std::vector<double>& measured,
                               const std::vector<double>& filters,
                               const std::vector<double>& target, double offset) {
  std::vector<double> r(measured.size());
  for (size_t i = 0; i < r.size(); ++i) {
    r[i] = measured[i] + offset + filters[i] - target[i];
  }
  return r;
}

// Narrow dips raised to the running median of their surroundings: what boosts may fill.
// Such a dip is a cancellation that moves with the microphone; filling it only costs
// headroom.
std::vector<double> withNarrowDipsFloored(const std::vector<double>& r) {
  const int half = static_cast<int>(DIP_MEDIAN_OCTAVES * EQ_FIT_POINTS_PER_OCTAVE / 2.0);
  std::vector<double> out(r.size());
  std::vector<double> window;
  const int n = static_cast<int>(r.size());
  for (int i = 0; i < n; ++i) {
    window.assign(r.begin() + std::max(0, i - half), r.begin() + std::min(n, i + half + 1));
    auto middle = window.begin() + static_cast<std::ptrdiff_t>(window.size() / 2);
    std::nth_element(window.begin(), middle, window.end());
    out[static_cast<size_t>(i)] = std::max(r[static_cast<size_t>(i)], *middle);
  }
  return out;
}

double meanOf(const std::vector<double>& v) {
  double sum = 0.0;
  for (const double x : v) {
    sum += x;
  }
  return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

EqFitBand storedWords(int band, const FitBand& f) {
  EqFitBand out;
  out.band = band;
  out.typeWord = BAND_TYPE_PEAKING;
  out.freqWord = encodeFrequency(f.frequency);
  out.gainWord = encodeEqGain(f.gainDb);
  out.qWord = encodeQ(f.q, false);
  out.frequency = decodeFrequency(out.freqWord);
  out.gainDb = decodeEqGain(out.gainWord);
  out.q = decodeQ(out.qWord).q;
  return out;
}

void addWord(EqFitResult& r, ChannelFunction function, int band, int32_t value) {
  r.words.push_back({indexOf(function, r.channel, band), value});
}

} // namespace

std::vector<double> fitGrid(double fromHz, double toHz) {
  std::vector<double> grid;
  if (!(fromHz > 0.0 && toHz >= fromHz)) {
    return grid;
  }
  const int steps =
      static_cast<int>(std::floor(std::log2(toHz / fromHz) * EQ_FIT_POINTS_PER_OCTAVE + 1e-9));
  for (int k = 0; k <= steps; ++k) {
    grid.push_back(fromHz * std::exp2(static_cast<double>(k) / EQ_FIT_POINTS_PER_OCTAVE));
  }
  return grid;
}

std::vector<double> smoothedLevels(const Measurement& measurement,
                                   const std::vector<double>& frequencies, int smoothing) {
  std::vector<double> out;
  const double half = smoothing > 0 ? 0.5 / smoothing : 0.0;
  const int samples = static_cast<int>(std::ceil(half / SMOOTHING_SAMPLE_OCTAVES));
  for (const double f : frequencies) {
    double sum = 0.0;
    int count = 0;
    for (int k = -samples; k <= samples; ++k) {
      const double level =
          measuredLevelAt(measurement, f * std::exp2(samples > 0 ? half * k / samples : 0.0));
      if (!std::isnan(level)) {
        sum += level;
        ++count;
      }
    }
    out.push_back(count > 0 ? sum / count : std::nan(""));
  }
  return out;
}

std::vector<int> freeBands(const ParameterTable& table, int channel,
                           const std::array<bool, PEQ_BAND_COUNT>& locked) {
  std::vector<int> bands;
  for (int band = 0; band < PEQ_BAND_COUNT; ++band) {
    const int typeIndex = indexOf(ChannelFunction::PeqType, channel, band);
    if (locked[static_cast<size_t>(band)] || typeIndex == IDX_NONE) {
      continue;
    }
    const int32_t gain = table.value(indexOf(ChannelFunction::PeqGain, channel, band));
    if (table.value(typeIndex) == BAND_TYPE_OFF || gain == EQ_GAIN_ZERO) {
      bands.push_back(band);
    }
  }
  return bands;
}

EqFitResult fitEq(const ParameterTable& table, int channel, const Measurement& measurement,
                  const TargetCurve& target, const EqFitOptions& options) {
  if (!isValidChannel(channel)) {
    return failure(EqFitFailure::NoChannel, "no such channel");
  }
  if (OptionProblem problem = checkOptions(measurement, options);
      problem.kind != EqFitFailure::None) {
    return failure(problem.kind, std::move(problem.message));
  }
  std::vector<int> slots = freeBands(table, channel, options.locked);
  const size_t wanted = options.bandCount ? static_cast<size_t>(*options.bandCount) : slots.size();
  if (slots.empty() || slots.size() < wanted) {
    return failure(EqFitFailure::TooFewFreeBands,
                   "only " + std::to_string(slots.size()) +
                       " bands are free (switched off or flat, and not locked)");
  }
  slots.resize(wanted);

  EqFitResult result;
  result.channel = channel;
  result.frequencies = fitGrid(options.fromHz, options.toHz);
  result.measured = smoothedLevels(measurement, result.frequencies, options.smoothing);
  for (const double f : result.frequencies) {
    result.target.push_back(target.levelAt(f));
  }
  if (std::any_of(result.target.begin(), result.target.end(),
                  [](double v) { return std::isnan(v); })) {
    return failure(EqFitFailure::TargetCoverage, "the target does not cover the range");
  }
  const bool align = !options.levelOffsetDb;
  const double offset = options.levelOffsetDb.value_or(0.0);
  const std::vector<double> totalBefore = responseTotal(table, channel, result.frequencies);
  std::vector<double> before = residualOf(result.measured, totalBefore, result.target, offset);
  result.rmsBeforeDb = std::sqrt(meanSquareOf(before, align));
  if (result.rmsBeforeDb < EQ_FIT_FLAT_RMS_DB) {
    return failure(EqFitFailure::AlreadyFlat,
                   "the measurement is within 0.5 dB RMS of the target already; nothing to fit");
  }

  // The channel as the fit leaves it except for its bands: equaliser on, fitted bands off.
  std::unique_ptr<ParameterTable> scratch = copyOf(table);
  const bool bypassed = decodeFlag(table.value(indexOf(ChannelFunction::PeqBypass, channel)));
  scratch->setParameter(indexOf(ChannelFunction::PeqBypass, channel), 0);
  for (const int band : slots) {
    scratch->setParameter(indexOf(ChannelFunction::PeqType, channel, band), BAND_TYPE_OFF);
  }
  const std::vector<double> kept = responseTotal(*scratch, channel, result.frequencies);

  FitLimits limits;
  limits.freqMin = options.fromHz;
  limits.freqMax = options.toHz;
  limits.gainMax = options.maxBoostDb;
  limits.qMin = options.qMin;
  limits.qMax = options.qMax;
  std::vector<double> residual = residualOf(result.measured, kept, result.target, offset);
  if (options.maxBoostDb > 0.0) {
    residual = withNarrowDipsFloored(residual);
  }
  const EqFitProblem problem(result.frequencies, std::move(residual), align, limits);
  std::vector<FitBand> bands = initialBands(problem, static_cast<int>(slots.size()));
  refineBands(problem, bands, REFINE_EVALUATIONS);
  bands = quantiseBands(problem, bands);

  if (bypassed) {
    addWord(result, ChannelFunction::PeqBypass, 0, 0);
  }
  std::sort(bands.begin(), bands.end(),
            [](const FitBand& a, const FitBand& b) { return a.frequency < b.frequency; });
  size_t next = 0;
  for (const FitBand& b : bands) {
    if (b.gainDb == 0.0) {
      continue;
    }
    const EqFitBand words = storedWords(slots[next++], b);
    result.bands.push_back(words);
    addWord(result, ChannelFunction::PeqType, words.band, words.typeWord);
    addWord(result, ChannelFunction::PeqFreq, words.band, words.freqWord);
    addWord(result, ChannelFunction::PeqGain, words.band, words.gainWord);
    addWord(result, ChannelFunction::PeqQ, words.band, words.qWord);
  }
  for (const EqFitWord& w : result.words) {
    scratch->setParameter(w.index, w.value);
  }
  const std::vector<double> totalAfter = responseTotal(*scratch, channel, result.frequencies);
  const std::vector<double> after = residualOf(result.measured, totalAfter, result.target, offset);
  result.rmsAfterDb = std::sqrt(meanSquareOf(after, align));
  if (result.bands.empty() || !(result.rmsAfterDb < result.rmsBeforeDb)) {
    return failure(EqFitFailure::NoImprovement,
                   "no band setting the device can store lowers the error; nothing changed");
  }

  result.levelOffsetDb =
      align ? -meanOf(residualOf(result.measured, totalAfter, result.target, 0.0)) : offset;
  for (size_t i = 0; i < result.frequencies.size(); ++i) {
    result.measured[i] += result.levelOffsetDb;
    result.before.push_back(result.measured[i] + totalBefore[i]);
    result.after.push_back(result.measured[i] + totalAfter[i]);
  }
  std::sort(result.words.begin(), result.words.end(),
            [](const EqFitWord& a, const EqFitWord& b) { return a.index < b.index; });
  return result;
}

} // namespace kv816
