// Cost of the graph's recomputations: one point's row plus the total (a drag step) and
// every row (first paint, resize), at 1000 columns with 31 bands and both filter points.

#include <benchmark/benchmark.h>

#include <vector>

#include "dsp/channel_response.h"
#include "dsp/response_curves.h"
#include "dsp/response_math.h"
#include "model/channel_layout.h"

namespace kv816 {
namespace {

constexpr int WIDTH = 1000;
constexpr int HEIGHT = 300;
constexpr int BANDS = 31;

struct Graph {
  std::vector<CurvePoint> points;
  CrossoverSettings settings{30, 31, 20000.0, 20001.0}; // 4 sections each, the most there are
  ResponseCurves curves;

  Graph() : points(BANDS + 2) {
    points[0].frequency = 80.0;
    points[1].frequency = 12000.0;
    for (int b = 0; b < BANDS; ++b) {
      CurvePoint& p = points[b + 2];
      p.column = (b * WIDTH) / BANDS + 10;
      p.row = (b % 7) * 10 - 30;
      p.q = 11.3;
      p.bandType = b % 9 == 4 ? 5 : (b % 9 == 5 ? 6 : 7);
    }
    curves.setGeometry(WIDTH, HEIGHT, BANDS + 2);
    curves.updateAll(0, points, settings);
  }
};

void BM_BandRowAndTotal(benchmark::State& state) {
  Graph g;
  int step = 0;
  for (auto _ : state) {
    g.points[17].row = (step++ % 60) - 30; // a drag step up and down
    g.curves.update(17, g.points, g.settings);
    benchmark::DoNotOptimize(g.curves.totalPixels().data());
  }
}
BENCHMARK(BM_BandRowAndTotal)->Unit(benchmark::kMicrosecond);

void BM_CrossoverRowAndTotal(benchmark::State& state) {
  Graph g;
  int step = 0;
  for (auto _ : state) {
    g.points[0].frequency = 40.0 + (step++ % 100);
    g.curves.update(0, g.points, g.settings);
    benchmark::DoNotOptimize(g.curves.totalPixels().data());
  }
}
BENCHMARK(BM_CrossoverRowAndTotal)->Unit(benchmark::kMicrosecond);

void BM_AllRows(benchmark::State& state) {
  Graph g;
  for (auto _ : state) {
    g.curves.updateAll(2, g.points, g.settings);
    benchmark::DoNotOptimize(g.curves.totalPixels().data());
  }
}
BENCHMARK(BM_AllRows)->Unit(benchmark::kMicrosecond);

// The engineering-unit path (kv816ctl response --svg): a channel with every band active.
void BM_ChannelResponse(benchmark::State& state) {
  ParameterTable table;
  table.loadDefaults();
  for (int band = 0; band < BANDS; ++band) {
    table.setParameter(indexOf(ChannelFunction::GeqGain, 0, band), 500 + (band % 7) * 10 - 30);
  }
  std::vector<double> freqs(WIDTH);
  for (int i = 0; i < WIDTH; ++i) {
    freqs[i] = columnToFrequency(i, WIDTH);
  }
  ChannelResponse r;
  for (auto _ : state) {
    computeChannelResponse(table, 0, ResponseView::GraphicEq, freqs, r);
    benchmark::DoNotOptimize(r.total.data());
  }
}
BENCHMARK(BM_ChannelResponse)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kv816

BENCHMARK_MAIN();
