#include "ui/controls/response_graph.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace kv816 {
namespace {

// A graph 600 x 328: the plot is 552 x 300 from (30, 10), the 0 dB line at y 160, ten
// pixels per dB.
constexpr int ZERO_Y = 160;
constexpr int PX_PER_DB = 10;

Measurement flatMeasurement(double level) {
  Measurement m;
  for (double f = 10.0; f < 30000.0; f *= 1.1) {
    m.frequencies.push_back(f);
    m.levels.push_back(level);
  }
  return m;
}

// The rows of column x drawn in `rgb`, also where antialiasing blended it with the dark
// plot: the pixel is the colour scaled by at least a half, give or take a little.
std::vector<int> rowsOf(const QImage& image, int x, QRgb rgb) {
  const double c[3] = {double(qRed(rgb)), double(qGreen(rgb)), double(qBlue(rgb))};
  std::vector<int> rows;
  for (int y = 10; y < 310; ++y) {
    const QRgb p = image.pixel(x, y);
    const double v[3] = {double(qRed(p)), double(qGreen(p)), double(qBlue(p))};
    const double alpha =
        (v[0] * c[0] + v[1] * c[1] + v[2] * c[2]) / (c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
    double residual = 0.0;
    for (int k = 0; k < 3; ++k)
      residual += std::abs(v[k] - alpha * c[k]);
    if (alpha >= 0.5 && alpha <= 1.1 && residual < 40.0)
      rows.push_back(y);
  }
  return rows;
}

bool near(const std::vector<int>& rows, int y) {
  for (int r : rows)
    if (std::abs(r - y) <= 1)
      return true;
  return false;
}

constexpr QRgb MEASURED = qRgb(0xa0, 0xa0, 0xa0);
constexpr QRgb PREDICTED = qRgb(0xff, 0xa0, 0x40);
constexpr QRgb TARGET = qRgb(0x60, 0xc0, 0x60);

struct OverlayFixture {
  ResponseGraph graph;
  int bandX = 0;

  // One peaking band of +6 dB; the crossover off.
  OverlayFixture() {
    graph.resize(600, 328);
    graph.setBandCount(1);
    graph.setPointEnabled(0, false);
    graph.setPointEnabled(1, false);
    graph.setBandType(7, 0);
    graph.setBandFrequency(1000.0, 0);
    graph.setBandQ(2.0, 0);
    graph.setBandGain(6.0, 0);
    bandX = graph.model().markerX(ResponseGraphModel::FIRST_BAND);
  }
  QImage image() { return graph.grab().toImage(); }
};

TEST(GraphOverlay, PredictedFollowsTheChannelsCurveOverTheMeasurement) {
  OverlayFixture f;
  GraphOverlay overlay;
  overlay.measurement = flatMeasurement(83.0);
  overlay.offsetDb = -80.0; // measured at +3 dB on the plot
  overlay.target = TargetCurve::tilt(-2.0, 100.0, 10000.0);
  f.graph.setOverlay(overlay);
  const QImage image = f.image();
  // About 25 Hz: the band adds nothing there, so the prediction covers the measurement.
  const int farX = 60;
  EXPECT_TRUE(near(rowsOf(image, farX, PREDICTED), ZERO_Y - 3 * PX_PER_DB));
  EXPECT_TRUE(near(rowsOf(image, f.bandX, MEASURED), ZERO_Y - 3 * PX_PER_DB));
  EXPECT_TRUE(near(rowsOf(image, f.bandX, PREDICTED), ZERO_Y - 9 * PX_PER_DB))
      << "predicted = measured + the band's 6 dB";
  // The target: 0 dB below 100 Hz, -2 dB per octave from there (1 kHz: -6.64 dB).
  const std::vector<int> target = rowsOf(image, f.bandX, TARGET);
  const int targetY = ZERO_Y + static_cast<int>(std::lround(2.0 * std::log2(10.0) * PX_PER_DB));
  EXPECT_TRUE(target.empty() || near(target, targetY)); // dashed: a gap may fall here
}

TEST(GraphOverlay, HiddenTracesAndNoMeasurementDrawNothing) {
  OverlayFixture f;
  GraphOverlay overlay;
  overlay.measurement = flatMeasurement(80.0);
  overlay.offsetDb = -75.0;
  overlay.showMeasured = false;
  overlay.showTarget = false;
  f.graph.setOverlay(overlay);
  QImage image = f.image();
  EXPECT_TRUE(rowsOf(image, 60, MEASURED).empty());
  EXPECT_TRUE(near(rowsOf(image, 60, PREDICTED), ZERO_Y - 5 * PX_PER_DB));
  EXPECT_TRUE(rowsOf(image, 60, TARGET).empty());

  f.graph.setOverlay({});
  image = f.image();
  EXPECT_TRUE(rowsOf(image, 60, PREDICTED).empty());
  EXPECT_FALSE(f.graph.overlay().active());
}

} // namespace
} // namespace kv816
