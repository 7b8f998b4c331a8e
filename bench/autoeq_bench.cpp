// Automatic equaliser fit on generated measurements with 10 free bands: room modes and a
// tilted response (smooth cases), and narrow dips that boosts must leave alone. Counters:
// RMS error before and after, after / before, and for the dips how far the equaliser
// rises at a dip's centre above its level half an octave either side (a fill). Time per
// fit is the benchmark's time.

#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "dsp/channel_response.h"
#include "dsp/eq_fit.h"

namespace kv816 {
namespace {

constexpr int OUT1 = 4;

double bump(double f, double centre, double db, double octaves) {
  const double x = std::log2(f / centre) / (octaves / 2.0);
  return db / (1.0 + x * x);
}

double roomModes(double f) {
  return bump(f, 42, 8, 0.3) + bump(f, 68, -5, 0.4) + bump(f, 95, 9, 0.25) + bump(f, 150, 6, 0.35) +
         bump(f, 230, -6, 0.5) + bump(f, 330, 4, 0.5) + bump(f, 900, 3, 1.0) +
         bump(f, 3000, 3.5, 1.5) + bump(f, 9000, -3, 2.0);
}

double tilted(double f) {
  return -1.2 * std::log2(f / 1000.0) + bump(f, 110, 5, 1.0) + bump(f, 4000, 2, 1.5);
}

constexpr double DIPS[] = {180.0, 1200.0, 6000.0};

double narrowDips(double f) {
  return bump(f, 70, 6, 0.5) + bump(f, DIPS[0], -14, 0.08) + bump(f, DIPS[1], -12, 0.06) +
         bump(f, DIPS[2], -10, 0.07) + bump(f, 2500, 3, 1.0);
}

Measurement generated(const std::function<double(double)>& shape) {
  Measurement m;
  for (double f = 10.0; f <= 24000.0; f *= std::exp2(1.0 / 48.0)) {
    m.frequencies.push_back(f);
    m.levels.push_back(85.0 + shape(f));
  }
  return m;
}

// The equaliser's level at `frequency` with the fit's words written.
double eqLevelAt(const EqFitResult& r, double frequency) {
  auto table = std::make_unique<ParameterTable>();
  table->loadDefaults();
  for (const EqFitWord& w : r.words) {
    table->setParameter(w.index, w.value);
  }
  ChannelResponse response;
  const std::vector<double> f{frequency};
  computeChannelResponse(*table, OUT1, ResponseView::Channel, f, response);
  return response.total[0];
}

void runFit(benchmark::State& state, const std::function<double(double)>& shape,
            const EqFitOptions& options, bool dips) {
  auto table = std::make_unique<ParameterTable>();
  table->loadDefaults();
  // The default high-pass at 10 Hz is off; the channel's response is its bands alone.
  const Measurement m = generated(shape);
  EqFitResult r;
  for (auto _ : state) {
    r = fitEq(*table, OUT1, m, TargetCurve(), options);
    benchmark::DoNotOptimize(r.bands.data());
  }
  if (!r.error.empty()) {
    state.SkipWithError(r.error.c_str());
    return;
  }
  state.counters["rms_before_db"] = r.rmsBeforeDb;
  state.counters["rms_after_db"] = r.rmsAfterDb;
  state.counters["after_over_before"] = r.rmsAfterDb / r.rmsBeforeDb;
  state.counters["bands"] = static_cast<double>(r.bands.size());
  if (dips) {
    // A fill is the equaliser rising at the dip above its level half an octave either side.
    double most = -100.0;
    for (const double f : DIPS) {
      const double around = (eqLevelAt(r, f * M_SQRT2) + eqLevelAt(r, f / M_SQRT2)) / 2.0;
      most = std::max(most, eqLevelAt(r, f) - around);
    }
    state.counters["dip_fill_max_db"] = most;
  }
}

EqFitOptions options(double maxBoostDb, int smoothing) {
  EqFitOptions o;
  o.maxBoostDb = maxBoostDb;
  o.smoothing = smoothing;
  return o;
}

void BM_RoomModesCutsOnly(benchmark::State& state) {
  runFit(state, roomModes, options(0.0, 0), false);
}
void BM_RoomModesBoost6(benchmark::State& state) {
  runFit(state, roomModes, options(6.0, 12), false);
}
void BM_TiltCutsOnly(benchmark::State& state) {
  runFit(state, tilted, options(0.0, 6), false);
}
void BM_TiltBoost6(benchmark::State& state) {
  runFit(state, tilted, options(6.0, 6), false);
}
void BM_NarrowDipsBoost6(benchmark::State& state) {
  runFit(state, narrowDips, options(6.0, 6), true);
}
void BM_NarrowDipsBoost6Unsmoothed(benchmark::State& state) {
  runFit(state, narrowDips, options(6.0, 0), true);
}

BENCHMARK(BM_RoomModesCutsOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoomModesBoost6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiltCutsOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiltBoost6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NarrowDipsBoost6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NarrowDipsBoost6Unsmoothed)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kv816

BENCHMARK_MAIN();
