#include "dsp/measurement.h"
#include "dsp/measurement_traces.h"
#include "dsp/target_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "model/channel_layout.h"
#include "model/crossover.h"
#include "model/encodings.h"
#include "model/parameter_table.h"

namespace kv816 {
namespace {

// REW's text export: a '*' header, then frequency, SPL and phase.
std::string rewText(int points, const std::string& separator = " ") {
  std::string text = "* Measurement data measured by REW V5.20\n* Source: generated\n"
                     "* Freq(Hz), SPL(dB), Phase(degrees)\n";
  for (int i = 0; i < points; ++i) {
    const double f = 20.0 * std::pow(1000.0, i / (points - 1.0));
    text += std::to_string(f) + separator + std::to_string(80.0 + 4.0 * std::sin(i * 0.3)) +
            separator + std::to_string(-90.0 + i) + "\n";
  }
  return text;
}

TEST(Measurement, ReadsRewExportAndFrd) {
  const MeasurementRead rew = parseMeasurement(rewText(200, ", "));
  ASSERT_TRUE(rew.error.empty()) << rew.error;
  EXPECT_EQ(rew.measurement.frequencies.size(), 200u);
  EXPECT_EQ(rew.measurement.phases.size(), 200u);
  EXPECT_DOUBLE_EQ(rew.measurement.levels[0], 80.0);

  std::string frd = "\xEF\xBB\xBF# driver.frd\r\n";
  for (int i = 1; i <= 12; ++i) {
    frd += std::to_string(100 * i) + "\t" + std::to_string(70 + i) + "\r\n";
  }
  const MeasurementRead two = parseMeasurement(frd);
  ASSERT_TRUE(two.error.empty()) << two.error;
  EXPECT_TRUE(two.measurement.phases.empty());
  EXPECT_DOUBLE_EQ(measuredLevelAt(two.measurement, 1200.0), 82.0);
  // Halfway in log frequency between 100 and 200 Hz lies halfway between their levels.
  EXPECT_NEAR(measuredLevelAt(two.measurement, std::sqrt(100.0 * 200.0)), 71.5, 1e-12);
  EXPECT_TRUE(std::isnan(measuredLevelAt(two.measurement, 99.0)));
  EXPECT_TRUE(std::isnan(measuredLevelAt(two.measurement, 1201.0)));
}

TEST(Measurement, RefusesBadInputNamingTheLine) {
  const std::string good = rewText(12); // header lines 1-3, data on lines 4-15
  auto withLine = [&](int line, const std::string& replacement) {
    std::string text;
    size_t start = 0;
    for (int n = 1; start < good.size(); ++n) {
      const size_t end = good.find('\n', start);
      text += (n == line ? replacement : good.substr(start, end - start)) + "\n";
      start = end + 1;
    }
    return text;
  };
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {withLine(6, "Freq SPL Phase"), "line 6: not a line of numbers"},
      {withLine(7, "1000 nan 0"), "line 7: not a line of numbers"},
      {withLine(7, "1000 inf 0"), "line 7: not a line of numbers"},
      {withLine(8, "100 80 0 5"), "line 8: expected frequency, level"},
      {withLine(8, "100"), "line 8: expected frequency, level"},
      {withLine(9, "1e6 80"), "line 9: expected 3 numbers"},
      {withLine(4, "0 80 0"), "line 4: frequency must be above 0"},
      {withLine(4, "-20 80 0"), "line 4: frequency must be above 0"},
      {withLine(10, "25 80 0"), "line 10: frequencies must rise"},
      {"* x\n20 1\n20 2\n", "line 3: frequency repeats"},
      {rewText(9), "9 points; a measurement needs at least 10"},
      {"", "0 points"},
      {std::string(MEASUREMENT_MAX_BYTES + 1, '*'), "the file is larger than 10 MB"},
  };
  for (const Case& c : cases) {
    const MeasurementRead r = parseMeasurement(c.text);
    EXPECT_TRUE(r.error.starts_with(c.error)) << r.error << " / expected " << c.error;
    EXPECT_TRUE(r.measurement.frequencies.empty()) << c.error;
  }
}

TEST(TargetCurve, FlatTiltAndFile) {
  const TargetCurve tilt = TargetCurve::tilt(-1.0, 100.0, 10000.0);
  EXPECT_DOUBLE_EQ(tilt.levelAt(50.0), 0.0);
  EXPECT_DOUBLE_EQ(tilt.levelAt(200.0), -1.0);
  EXPECT_NEAR(tilt.levelAt(10000.0), -std::log2(100.0), 1e-12);
  EXPECT_NEAR(tilt.levelAt(20000.0), -std::log2(100.0), 1e-12);
  EXPECT_EQ(TargetCurve::tilt(-1.0, 1000.0, 100.0).kind(), TargetCurve::Kind::Flat);
  EXPECT_DOUBLE_EQ(TargetCurve().levelAt(1234.0), 0.0);
  const TargetCurve file = TargetCurve::fromFile(parseMeasurement(rewText(20)).measurement);
  EXPECT_DOUBLE_EQ(file.levelAt(20.0), 80.0);
  EXPECT_TRUE(std::isnan(file.levelAt(19.0)));
}

TEST(MeasurementTraces, PredictedIsMeasuredPlusTheChannelsResponse) {
  auto table = std::make_unique<ParameterTable>();
  table->loadDefaults();
  const int channel = 5;
  table->setParameter(indexOf(ChannelFunction::HpfType, channel), crossoverCode(7, true));
  table->setParameter(indexOf(ChannelFunction::HpfFreq, channel), encodeFrequency(80));
  table->setParameter(indexOf(ChannelFunction::PeqGain, channel, 4), encodeEqGain(-6.0));
  table->setParameter(indexOf(ChannelFunction::PeqType, channel, 1), BAND_TYPE_LOW_SHELF);
  table->setParameter(indexOf(ChannelFunction::PeqGain, channel, 1), encodeEqGain(4.0));
  const Measurement m = parseMeasurement(rewText(300)).measurement;
  const double offset = -80.0;
  MeasurementTraces t;
  ASSERT_EQ(computeMeasurementTraces(*table, channel, m, TargetCurve::tilt(-0.5, 200, 2000), offset,
                                     m.frequencies, t),
            ResponseStatus::Ok);
  double deepest = 0.0;
  for (size_t i = 0; i < m.frequencies.size(); ++i) {
    ChannelResponse own;
    const double f = m.frequencies[i];
    computeChannelResponse(*table, channel, ResponseView::Channel, std::span(&f, 1), own);
    EXPECT_NEAR(t.measured[i], m.levels[i] + offset, 1e-9);
    EXPECT_NEAR(t.predicted[i], m.levels[i] + offset + own.total[0], 0.01) << f;
    deepest = std::min(deepest, own.total[0]);
  }
  EXPECT_LT(deepest, -20.0); // the high-pass really shaped the prediction
  EXPECT_EQ(suggestedLevelOffset(m), -std::round(measuredLevelAt(m, 1000.0)));
}

} // namespace
} // namespace kv816
