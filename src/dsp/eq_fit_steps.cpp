#include "dsp/eq_fit_steps.h"

#include <nlopt.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "dsp/channel_response.h"
#include "dsp/filter_sections.h"
#include "dsp/scale_tables.h"

namespace kv816 {
namespace {

constexpr double MIN_DEVIATION_DB = 0.1; // not worth a band
constexpr double FREQ_STEP_OCTAVES = 1.0 / 48.0;
constexpr int MAX_SEARCH_PASSES = 40;
constexpr int PARAMS_PER_BAND = 3;
constexpr double GRADIENT_STEP = 1e-6;

double gridStepOctaves(const EqFitProblem& p) {
  const std::vector<double>& f = p.frequencies();
  return f.size() < 2 ? FREQ_STEP_OCTAVES : std::log2(f[1] / f[0]);
}

void centre(std::vector<double>& r) {
  double mean = 0.0;
  for (const double v : r) {
    mean += v;
  }
  mean /= static_cast<double>(r.size());
  for (double& v : r) {
    v -= mean;
  }
}

// How much a band may correct at grid point i: positive for a peak (cut), for a dip only
// when boosts are allowed.
double correctable(const EqFitProblem& p, double deviation, double frequency) {
  if (frequency < p.limits().freqMin || frequency > p.limits().freqMax) {
    return 0.0;
  }
  if (deviation > 0.0) {
    return deviation;
  }
  return p.limits().gainMax > 0.0 ? -deviation : 0.0;
}

// Q of a band as wide as `octaves`.
double qForBandwidth(double octaves) {
  const double ratio = std::exp2(std::max(octaves, 1.0 / 12.0));
  return std::sqrt(ratio) / (ratio - 1.0);
}

FitBand guessAt(const EqFitProblem& p, const std::vector<double>& r, size_t peak) {
  const double half = r[peak] / 2.0;
  auto beyondHalf = [&](size_t i) { return r[peak] > 0.0 ? r[i] > half : r[i] < half; };
  size_t left = peak;
  while (left > 0 && beyondHalf(left - 1)) {
    --left;
  }
  size_t right = peak;
  while (right + 1 < r.size() && beyondHalf(right + 1)) {
    ++right;
  }
  const FitLimits& lim = p.limits();
  FitBand band;
  band.frequency = p.frequencies()[peak];
  band.gainDb = std::clamp(-r[peak], lim.gainMin, lim.gainMax);
  band.q = std::clamp(qForBandwidth(static_cast<double>(right - left + 1) * gridStepOctaves(p)),
                      lim.qMin, lim.qMax);
  return band;
}

struct Objective {
  const EqFitProblem* problem;
  std::vector<FitBand> bands;
  std::vector<std::vector<double>> ratios; // per band, kept between calls
};

void unpackBand(const double* x, FitBand& band) {
  band.frequency = std::exp2(x[0]);
  band.gainDb = x[1];
  band.q = std::exp2(x[2]);
}

void unpack(const double* x, std::vector<FitBand>& bands) {
  for (size_t b = 0; b < bands.size(); ++b) {
    unpackBand(x + PARAMS_PER_BAND * b, bands[b]);
  }
}

// The mean square and, by forward differences, its gradient. A band's parameters change
// only that band's power ratio, so each difference costs one band, not all of them.
double objective(unsigned n, const double* x, double* grad, void* data) {
  auto* o = static_cast<Objective*>(data);
  unpack(x, o->bands);
  const EqFitProblem& p = *o->problem;
  std::vector<std::vector<double>>& ratios = o->ratios;
  ratios.resize(o->bands.size());
  std::vector<double> product(p.frequencies().size(), 1.0);
  for (size_t b = 0; b < o->bands.size(); ++b) {
    p.powerRatio(o->bands[b], ratios[b]);
    for (size_t i = 0; i < product.size(); ++i) {
      product[i] *= ratios[b][i];
    }
  }
  const double value = p.meanSquareOfProduct(product);
  if (grad == nullptr) {
    return value;
  }
  std::vector<double> others(product.size());
  std::vector<double> moved;
  for (size_t b = 0; b < o->bands.size(); ++b) {
    for (size_t i = 0; i < product.size(); ++i) {
      others[i] = product[i] / ratios[b][i];
    }
    for (int k = 0; k < PARAMS_PER_BAND; ++k) {
      const size_t j = PARAMS_PER_BAND * b + static_cast<size_t>(k);
      std::vector<double> shifted(x, x + n);
      shifted[j] += GRADIENT_STEP;
      FitBand band = o->bands[b];
      unpackBand(shifted.data() + PARAMS_PER_BAND * b, band);
      p.powerRatio(band, moved);
      for (size_t i = 0; i < moved.size(); ++i) {
        moved[i] *= others[i];
      }
      grad[j] = (p.meanSquareOfProduct(moved) - value) / GRADIENT_STEP;
    }
  }
  return value;
}

struct OptDeleter {
  void operator()(nlopt_opt opt) const { nlopt_destroy(opt); }
};

double roundFrequency(double hz) {
  return hz < 99.95 ? std::round(hz * 10.0) / 10.0 : std::round(hz);
}

// The QTable index nearest `q` (in ratio) among the entries within [lo, hi].
int nearestQIndex(double q, double lo, double hi) {
  int best = -1;
  double bestDistance = 0.0;
  for (int k = 0; k < Q_TABLE_COUNT; ++k) {
    const double entry = QTable[static_cast<size_t>(k)];
    if (entry < lo - 1e-9 || entry > hi + 1e-9) {
      continue;
    }
    const double distance = std::abs(std::log(entry / q));
    if (best < 0 || distance < bestDistance) {
      best = k;
      bestDistance = distance;
    }
  }
  if (best < 0) {
    return ceilingIndex(QTable, Q_TABLE_COUNT, lo);
  }
  return best;
}

double qHigh(const EqFitProblem& p, double gainDb) {
  return gainDb > 0.0 ? std::min(p.limits().qMax, std::max(p.limits().boostQMax, p.limits().qMin))
                      : p.limits().qMax;
}

// The stored Q `steps` table entries away from the band's (the band is already stored).
FitBand withQStep(const EqFitProblem& p, FitBand band, int steps) {
  const int k = nearestQIndex(band.q, 0.0, BAND_Q_MAX) + steps;
  if (k < 0 || k >= Q_TABLE_COUNT) {
    return band;
  }
  band.q = QTable[static_cast<size_t>(k)];
  return storedBand(p, band);
}

} // namespace

std::vector<FitBand> initialBands(const EqFitProblem& problem, int count) {
  std::vector<double> r = problem.baseResidual();
  std::vector<FitBand> bands;
  const FitLimits& lim = problem.limits();
  for (int b = 0; b < count; ++b) {
    if (problem.alignsMean()) {
      centre(r);
    }
    size_t peak = 0;
    double best = 0.0;
    for (size_t i = 0; i < r.size(); ++i) {
      const double c = correctable(problem, r[i], problem.frequencies()[i]);
      if (c > best) {
        best = c;
        peak = i;
      }
    }
    if (best < MIN_DEVIATION_DB) {
      // Spread the idle bands so the refinement may still use them.
      const double t = (b + 0.5) / count;
      bands.push_back({lim.freqMin * std::pow(lim.freqMax / lim.freqMin, t), 0.0,
                       std::clamp(1.0, lim.qMin, lim.qMax)});
      continue;
    }
    bands.push_back(guessAt(problem, r, peak));
    problem.addBand(bands.back(), r);
  }
  return bands;
}

void refineBands(const EqFitProblem& problem, std::vector<FitBand>& bands, int maxEvaluations) {
  if (bands.empty()) {
    return;
  }
  const FitLimits& lim = problem.limits();
  const unsigned n = static_cast<unsigned>(PARAMS_PER_BAND * bands.size());
  std::unique_ptr<nlopt_opt_s, OptDeleter> opt(nlopt_create(NLOPT_LD_LBFGS, n));
  if (!opt) {
    return;
  }
  std::vector<double> lower(n);
  std::vector<double> upper(n);
  std::vector<double> x(n);
  for (size_t b = 0; b < bands.size(); ++b) {
    const size_t i = PARAMS_PER_BAND * b;
    lower[i] = std::log2(lim.freqMin);
    upper[i] = std::log2(lim.freqMax);
    lower[i + 1] = lim.gainMin;
    upper[i + 1] = lim.gainMax;
    lower[i + 2] = std::log2(lim.qMin);
    upper[i + 2] = std::log2(lim.qMax);
    x[i] = std::clamp(std::log2(bands[b].frequency), lower[i], upper[i]);
    x[i + 1] = std::clamp(bands[b].gainDb, lower[i + 1], upper[i + 1]);
    x[i + 2] = std::clamp(std::log2(bands[b].q), lower[i + 2], upper[i + 2]);
  }
  Objective data{&problem, bands, {}};
  nlopt_set_lower_bounds(opt.get(), lower.data());
  nlopt_set_upper_bounds(opt.get(), upper.data());
  nlopt_set_min_objective(opt.get(), objective, &data);
  nlopt_set_xtol_rel(opt.get(), 1e-5);
  nlopt_set_maxeval(opt.get(), maxEvaluations);
  double best = 0.0;
  const double before = problem.meanSquare(bands);
  // Stopped by round-off or another failure, x still holds the best point seen.
  const nlopt_result result = nlopt_optimize(opt.get(), x.data(), &best);
  if (result == NLOPT_INVALID_ARGS || result == NLOPT_OUT_OF_MEMORY || !(best < before)) {
    return;
  }
  unpack(x.data(), bands);
}

FitBand storedBand(const EqFitProblem& problem, const FitBand& band) {
  const FitLimits& lim = problem.limits();
  FitBand out;
  out.frequency = std::clamp(roundFrequency(std::clamp(band.frequency, lim.freqMin, lim.freqMax)),
                             BAND_FREQ_MIN, BAND_FREQ_MAX);
  const double gainMax = std::floor(lim.gainMax * 10.0 + 1e-9) / 10.0;
  const double gainMin = std::ceil(lim.gainMin * 10.0 - 1e-9) / 10.0;
  out.gainDb = std::clamp(std::round(band.gainDb * 10.0) / 10.0, gainMin, gainMax);
  const int k = nearestQIndex(band.q, lim.qMin, qHigh(problem, out.gainDb));
  out.q = QTable[static_cast<size_t>(k)];
  return out;
}

std::vector<FitBand> quantiseBands(const EqFitProblem& problem, const std::vector<FitBand>& bands) {
  std::vector<FitBand> stored;
  for (const FitBand& b : bands) {
    stored.push_back(storedBand(problem, b));
  }
  std::vector<double> r = problem.baseResidual();
  problem.addBands(stored, r);
  double current = meanSquareOf(r, problem.alignsMean());
  std::vector<double> trial(r.size());
  const double up = std::exp2(FREQ_STEP_OCTAVES);
  for (int pass = 0; pass < MAX_SEARCH_PASSES; ++pass) {
    bool improved = false;
    for (FitBand& band : stored) {
      const FitBand moves[] = {
          storedBand(problem, {band.frequency * up, band.gainDb, band.q}),
          storedBand(problem, {band.frequency / up, band.gainDb, band.q}),
          storedBand(problem, {band.frequency, band.gainDb + 0.1, band.q}),
          storedBand(problem, {band.frequency, band.gainDb - 0.1, band.q}),
          withQStep(problem, band, 1),
          withQStep(problem, band, -1),
      };
      for (const FitBand& move : moves) {
        trial = r;
        problem.addBand(band, trial, -1.0);
        problem.addBand(move, trial);
        const double ms = meanSquareOf(trial, problem.alignsMean());
        if (ms < current - 1e-12) {
          current = ms;
          r.swap(trial);
          band = move;
          improved = true;
        }
      }
    }
    if (!improved) {
      break;
    }
  }
  return stored;
}

} // namespace kv816
