#include "dsp/eq_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "dsp/channel_response.h"
#include "dsp/scale_tables.h"
#include "model/encodings.h"

namespace kv816 {
namespace {

constexpr int OUT1 = 4;

using Shape = std::function<double(double)>;

// A measurement from 10 Hz to 24 kHz, 24 points per octave, around 85 dB.
Measurement generated(const Shape& shape) {
  Measurement m;
  for (double f = 10.0; f <= 24000.0; f *= std::exp2(1.0 / 24.0)) {
    m.frequencies.push_back(f);
    m.levels.push_back(85.0 + shape(f));
  }
  return m;
}

// A resonance (positive dB) or dip (negative) `octaves` wide at half height.
double bump(double f, double centre, double db, double octaves) {
  const double x = std::log2(f / centre) / (octaves / 2.0);
  return db / (1.0 + x * x);
}

double roomModes(double f) {
  return bump(f, 45, 9, 0.3) + bump(f, 92, 7, 0.25) + bump(f, 160, 5, 0.4) + bump(f, 240, -4, 0.5) +
         bump(f, 2500, 3, 1.5);
}

double tilted(double f) {
  return -1.0 * std::log2(f / 1000.0) + bump(f, 120, 4, 1.0);
}

double narrowDips(double f) {
  return bump(f, 70, 6, 0.5) + bump(f, 180, -14, 0.08) + bump(f, 1200, -12, 0.06) +
         bump(f, 5000, 3, 1.0);
}

std::unique_ptr<ParameterTable> defaults() {
  auto table = std::make_unique<ParameterTable>();
  table->loadDefaults();
  return table;
}

bool isQTableEntry(double q) {
  for (int k = 0; k < Q_TABLE_COUNT; ++k) {
    if (std::abs(QTable[static_cast<size_t>(k)] - q) < 1e-9) {
      return true;
    }
  }
  return false;
}

struct FitCase {
  const char* name;
  Shape shape;
  double maxBoostDb;
  int smoothing;
  double qMax;
};

class EqFitCases : public ::testing::TestWithParam<FitCase> {};

// Every band is a value the device stores and the graph reads back unchanged, within the
// options' limits; the fit lowers the error and the reported error is what the words give.
TEST_P(EqFitCases, BandsAreStoredValuesWithinLimitsAndLowerTheError) {
  const FitCase& c = GetParam();
  const auto table = defaults();
  EqFitOptions o;
  o.maxBoostDb = c.maxBoostDb;
  o.smoothing = c.smoothing;
  o.qMax = c.qMax;
  const EqFitResult r = fitEq(*table, OUT1, generated(c.shape), TargetCurve(), o);
  ASSERT_TRUE(r.error.empty()) << r.error;
  ASSERT_FALSE(r.bands.empty());
  EXPECT_LT(r.rmsAfterDb, r.rmsBeforeDb);

  for (const EqFitBand& b : r.bands) {
    SCOPED_TRACE("band " + std::to_string(b.band));
    EXPECT_EQ(b.typeWord, BAND_TYPE_PEAKING);
    EXPECT_EQ(encodeFrequency(decodeFrequency(b.freqWord)), b.freqWord);
    EXPECT_GE(b.frequency, o.fromHz - 0.05);
    EXPECT_LE(b.frequency, o.toHz + 0.5);
    EXPECT_GE(b.gainWord, EQ_GAIN_ZERO - 150);
    EXPECT_LE(b.gainDb, c.maxBoostDb + 1e-9);
    EXPECT_NE(b.gainWord, EQ_GAIN_ZERO);
    EXPECT_TRUE(isQTableEntry(b.q)) << b.q;
    EXPECT_GE(b.q, o.qMin - 1e-9);
    EXPECT_LE(b.q, c.qMax + 1e-9);
    if (b.gainDb > 0.0) {
      EXPECT_LE(b.q, 2.0) << "a narrow boost";
    }
  }

  for (const EqFitWord& w : r.words) {
    table->setParameter(w.index, w.value);
  }
  ChannelResponse response;
  computeChannelResponse(*table, OUT1, ResponseView::Channel, r.frequencies, response);
  size_t bandFilters = 0;
  for (const ResponseFilter& f : response.filters) {
    if (f.kind != ResponseFilter::Kind::Band) {
      continue;
    }
    ASSERT_LT(bandFilters, r.bands.size());
    const EqFitBand& b = r.bands[bandFilters++];
    EXPECT_EQ(f.band, b.band);
    EXPECT_DOUBLE_EQ(f.frequency, b.frequency);
    EXPECT_DOUBLE_EQ(f.gainDb, b.gainDb);
    EXPECT_DOUBLE_EQ(f.q, b.q) << "the graph reads another Q than the fit assumed";
  }
  EXPECT_EQ(bandFilters, r.bands.size());
  double mean = 0.0;
  std::vector<double> residual;
  for (size_t i = 0; i < r.frequencies.size(); ++i) {
    residual.push_back(smoothedLevels(generated(c.shape), {r.frequencies[i]}, c.smoothing)[0] +
                       response.total[i]);
    mean += residual.back();
  }
  mean /= static_cast<double>(residual.size());
  double sum = 0.0;
  for (const double v : residual) {
    sum += (v - mean) * (v - mean);
  }
  EXPECT_NEAR(std::sqrt(sum / static_cast<double>(residual.size())), r.rmsAfterDb, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Generated, EqFitCases,
    ::testing::Values(FitCase{"RoomModesCutsOnly", roomModes, 0.0, 0, 10.0},
                      FitCase{"RoomModesBoostsSmoothed", roomModes, 6.0, 6, 10.0},
                      FitCase{"TiltBoosts", tilted, 6.0, 3, 4.0},
                      FitCase{"NarrowDipsCutsOnly", narrowDips, 0.0, 12, 128.0},
                      FitCase{"NarrowDipsBoosts", narrowDips, 3.0, 0, 20.0}),
    [](const auto& info) { return std::string(info.param.name); });

// A dip much narrower than an octave is a cancellation at one microphone position: boosts
// may lift the region, but the equaliser must not rise into the dip itself.
TEST(EqFit, BoostsLeaveNarrowDipsAlone) {
  const auto table = defaults();
  EqFitOptions o;
  o.maxBoostDb = EQ_FIT_MAX_BOOST_DB;
  const EqFitResult r = fitEq(*table, OUT1, generated(narrowDips), TargetCurve(), o);
  ASSERT_TRUE(r.error.empty()) << r.error;
  for (const EqFitWord& w : r.words) {
    table->setParameter(w.index, w.value);
  }
  for (const double dip : {180.0, 1200.0}) {
    const std::vector<double> f{dip / M_SQRT2, dip, dip * M_SQRT2};
    ChannelResponse response;
    computeChannelResponse(*table, OUT1, ResponseView::Channel, f, response);
    EXPECT_LT(response.total[1] - (response.total[0] + response.total[2]) / 2.0, 1.0)
        << "the equaliser rises into the dip at " << dip << " Hz";
  }
}

// Bands in use and locked bands keep their words; a bypassed equaliser is switched on,
// since the fitted bands would not be heard otherwise.
TEST(EqFit, WritesOnlyFreeBandsAndSwitchesTheEqualiserOn) {
  const auto table = defaults();
  const int inUse = 2;
  const int locked = 5;
  table->setParameter(indexOf(ChannelFunction::PeqGain, OUT1, inUse), EQ_GAIN_ZERO - 30);
  table->setParameter(indexOf(ChannelFunction::PeqBypass, OUT1), 1);
  EqFitOptions o;
  o.locked[locked] = true;
  const EqFitResult r = fitEq(*table, OUT1, generated(roomModes), TargetCurve(), o);
  ASSERT_TRUE(r.error.empty()) << r.error;
  const std::vector<int> free = freeBands(*table, OUT1, o.locked);
  EXPECT_EQ(free.size(), 8u);
  bool bypassOff = false;
  for (const EqFitWord& w : r.words) {
    const IndexLocation at = locateIndex(w.index);
    EXPECT_EQ(at.channel, OUT1);
    if (at.function == ChannelFunction::PeqBypass) {
      bypassOff = w.value == 0;
      continue;
    }
    EXPECT_NE(at.band, inUse);
    EXPECT_NE(at.band, locked);
  }
  EXPECT_TRUE(bypassOff);
}

TEST(EqFit, BandCountTakesTheFirstFreeBands) {
  const auto table = defaults();
  EqFitOptions o;
  o.bandCount = 3;
  const EqFitResult r = fitEq(*table, OUT1, generated(roomModes), TargetCurve(), o);
  ASSERT_TRUE(r.error.empty()) << r.error;
  ASSERT_LE(r.bands.size(), 3u);
  for (const EqFitBand& b : r.bands) {
    EXPECT_LT(b.band, 3);
  }
}

// A user's offset replaces the alignment: a measurement 10 dB above a flat target with
// offset 0 is all error; with the mean removed it is on target.
TEST(EqFit, OffsetReplacesTheAlignment) {
  const auto table = defaults();
  const Measurement loud = generated([](double) { return 0.0; });
  EqFitOptions o;
  EXPECT_NE(fitEq(*table, OUT1, loud, TargetCurve(), o).error.find("within 0.5 dB"),
            std::string::npos);
  o.levelOffsetDb = -75.0;
  o.maxBoostDb = 0.0;
  const EqFitResult r = fitEq(*table, OUT1, loud, TargetCurve(), o);
  ASSERT_TRUE(r.error.empty()) << r.error;
  EXPECT_NEAR(r.rmsBeforeDb, 10.0, 1e-6);
  EXPECT_LT(r.rmsAfterDb, r.rmsBeforeDb);
}

TEST(EqFit, BadInputChangesNothing) {
  const auto table = defaults();
  const Measurement modes = generated(roomModes);
  Measurement narrow;
  for (double f = 100.0; f <= 8000.0; f *= 1.1) {
    narrow.frequencies.push_back(f);
    narrow.levels.push_back(80.0 + roomModes(f));
  }
  auto table2 = defaults();
  for (int band = 0; band < PEQ_BAND_COUNT; ++band) {
    table2->setParameter(indexOf(ChannelFunction::PeqGain, OUT1, band), EQ_GAIN_ZERO - 10);
  }
  struct Bad {
    const char* what;
    const ParameterTable* table;
    int channel;
    const Measurement* measurement;
    std::function<void(EqFitOptions&)> change;
    const char* message;
    EqFitFailure kind;
  };
  using F = EqFitFailure;
  const Measurement none;
  const Measurement flat = generated([](double) { return 0.0; });
  const std::vector<Bad> cases = {
      {"no measurement", table.get(), OUT1, &none, [](EqFitOptions&) {}, "no measurement",
       F::NoMeasurement},
      {"range outside", table.get(), OUT1, &narrow, [](EqFitOptions&) {}, "outside the meas",
       F::RangeOutsideMeasurement},
      {"range reversed", table.get(), OUT1, &modes,
       [](EqFitOptions& o) { o.fromHz = 1000, o.toHz = 500; }, "the range", F::RangeLimits},
      {"no bands", table.get(), OUT1, &modes, [](EqFitOptions& o) { o.bandCount = 0; }, "1 to 10",
       F::BandCount},
      {"eleven bands", table.get(), OUT1, &modes, [](EqFitOptions& o) { o.bandCount = 11; },
       "1 to 10", F::BandCount},
      {"boost too large", table.get(), OUT1, &modes, [](EqFitOptions& o) { o.maxBoostDb = 7; },
       "boost", F::MaxBoost},
      {"negative boost", table.get(), OUT1, &modes, [](EqFitOptions& o) { o.maxBoostDb = -1; },
       "boost", F::MaxBoost},
      {"Q range reversed", table.get(), OUT1, &modes,
       [](EqFitOptions& o) { o.qMin = 5, o.qMax = 2; }, "Q range", F::QRange},
      {"odd smoothing", table.get(), OUT1, &modes, [](EqFitOptions& o) { o.smoothing = 5; },
       "smoothing", F::Smoothing},
      {"flat already", table.get(), OUT1, &flat, [](EqFitOptions&) {}, "within 0.5 dB",
       F::AlreadyFlat},
      {"no free band", table2.get(), OUT1, &modes, [](EqFitOptions&) {}, "only 0 bands",
       F::TooFewFreeBands},
      {"fewer free than asked", table.get(), OUT1, &modes,
       [](EqFitOptions& o) { o.locked.fill(true), o.locked[0] = false, o.bandCount = 2; },
       "only 1 bands", F::TooFewFreeBands},
      {"no such channel", table.get(), 12, &modes, [](EqFitOptions&) {}, "no such channel",
       F::NoChannel},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.what);
    EqFitOptions o;
    c.change(o);
    const EqFitResult r = fitEq(*c.table, c.channel, *c.measurement, TargetCurve(), o);
    EXPECT_NE(r.error.find(c.message), std::string::npos) << r.error;
    EXPECT_EQ(r.failure, c.kind);
    EXPECT_TRUE(r.words.empty());
    EXPECT_TRUE(r.bands.empty());
  }
}

} // namespace
} // namespace kv816
