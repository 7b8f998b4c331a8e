#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/filter_sections.h"
#include "dsp/response_curves.h"
#include "dsp/response_math.h"
#include "response_reference.h"

namespace kv816 {
namespace {

double crossoverLevel(int code, double f0, double f) {
  const SectionSet set = filterSections(code, f0);
  double sum = 0.0;
  for (int i = 0; i < set.count; ++i) {
    sum += sectionLevelAt(set.sections[i], angularFrequency(f));
  }
  return sum;
}

TEST(ResponseMath, AxesAndPixels) {
  EXPECT_DOUBLE_EQ(columnToFrequency(0, 800), 19.0);
  EXPECT_NEAR(columnToFrequency(800, 800), 20600.0, 1e-9);
  EXPECT_EQ(frequencyToColumn(19.0, 800), 0);
  EXPECT_EQ(frequencyToColumn(20600.0, 800), 800);
  EXPECT_EQ(frequencyToColumn(0.0, 800), 0);
  for (int i = 0; i < 800; i += 37) {
    const int back = frequencyToColumn(columnToFrequency(i, 800), 800);
    EXPECT_TRUE(back == i || back == i - 1) << i;
  }
  EXPECT_DOUBLE_EQ(dbToPixels(-3.0, 200), 20.0);
  EXPECT_DOUBLE_EQ(dbToPixels(15.0, 300), -150.0);
  EXPECT_EQ(zeroLineOffset(201), 100);
  EXPECT_EQ(gainFromRow(-20, 200), -30);
  EXPECT_EQ(gainFromRow(100, 201), 150);
  EXPECT_EQ(gainFromRow(5, 1), 0);
}

TEST(FilterResponse, DocumentedCrossoverLevels) {
  EXPECT_NEAR(crossoverLevel(30, 1000, 1000), -6.0, 0.05);
  EXPECT_NEAR(crossoverLevel(30, 1000, 500), -48.3, 0.05);
  EXPECT_NEAR(crossoverLevel(30, 1000, 2000), -0.04, 0.005);
  EXPECT_NEAR(crossoverLevel(8, 1000, 1000), -3.0, 0.05);
}

TEST(FilterResponse, CodesWithoutSections) {
  for (int code : {0, 7, 32, 33, 34, 35, 38, 39, 46, 47, 50, 51, 58, 60, 69, 70, -1}) {
    EXPECT_EQ(filterSections(code, 1000).count, 0) << code;
  }
  const int counts[][2] = {{8, 1}, {14, 2}, {26, 4}, {41, 1}, {52, 4}, {53, 3}, {57, 3}};
  for (const auto& c : counts) {
    EXPECT_EQ(filterSections(c[0], 1000).count, c[1]) << c[0];
  }
}

// The product's single-precision steps must stay within 0.01 dB of plain double maths.
TEST(FilterResponse, AgreesWithIndependentDoubleEvaluation) {
  struct Case {
    int code;
    bool high;
    std::vector<double> stages; // 0 = first order
  };
  const Case cases[] = {
      {8, true, {0.4997}},
      {11, false, {0.3345}},
      {15, false, {0, 1.0048}},
      {18, true, {0, 0.4995}},
      {20, true, {1.7039, 0.2925}},
      {27, false, {6.6331, 0.8136, 0.3629, 0.2607}},
      {30, true, {1.7054, 0.2926, 1.7054, 0.2926}},
      {31, false, {1.717, 0.2939, 1.717, 0.2939}},
      {42, true, {0}},
      {45, false, {0}},
      {52, true, {0, 1.7039, 0, 0.2925}},
      {53, false, {2.57548, 0.901998, 0.602412}},
      {55, false, {0.57836, 0.57836, 0.57836}},
      {56, true, {0.4995, 0.4995, 0.4995}},
  };
  for (const Case& c : cases) {
    for (double f0 : {40.0, 1000.0, 12000.0}) {
      for (double f : {20.0, 80.0, 700.0, 1000.0, 3000.0, 15000.0, 20000.0}) {
        const double expected = reference::crossoverDb(c.high, f0, c.stages, f);
        EXPECT_NEAR(crossoverLevel(c.code, f0, f), expected, 0.01)
            << "code " << c.code << " f0 " << f0 << " f " << f;
      }
    }
  }
  struct BandCase {
    int type;
    double q;
    double gain;
  };
  const BandCase bands[] = {{7, 1.0, 6.0},   {0, 11.3, -12.5}, {5, 0.84, 9.0},
                            {6, 0.4, -15.0}, {5, 5.0, 4.0},    {6, 128.0, 3.0}};
  for (const BandCase& b : bands) {
    for (double f : {25.0, 400.0, 2000.0, 2500.0, 19000.0}) {
      const Section s = bandSection(2000.0, b.q, b.type, std::pow(10.0, b.gain / 40.0));
      EXPECT_NEAR(sectionLevelAt(s, angularFrequency(f)),
                  reference::bandDb(b.type, 2000.0, b.q, b.gain, f), 0.01)
          << "type " << b.type << " q " << b.q << " f " << f;
    }
  }
}

TEST(FilterResponse, OffRule) {
  struct Case {
    bool low;
    double f;
    double maximum;
    bool off;
  };
  const Case cases[] = {{false, 19.0, 20000, true},   {false, 19.7, 20000, false},
                        {false, 20000, 20000, false}, {false, 20000.5, 20000, true},
                        {true, 20001, 20001, true},   {true, 20000, 20001, false},
                        {true, 19.69, 20001, true},   {false, std::nan(""), 20000, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(isFilterOff(c.low, c.f, c.maximum), c.off) << c.low << " " << c.f;
  }
}

class CurvesTest : public ::testing::Test {
protected:
  static constexpr int W = 600;
  static constexpr int H = 200;

  void SetUp() override {
    points.assign(5, CurvePoint{});
    points[0].frequency = 19.0;
    points[1].frequency = 20001.0;
    for (int b = 2; b < 5; ++b) {
      points[b].column = 100 * b;
    }
    settings = {8, 9, 20000.0, 20001.0};
    curves.setGeometry(W, H, 5);
    curves.updateAll(0, points, settings);
  }

  bool allZero(int index) const {
    const auto r = curves.row(index);
    return std::all_of(r.begin(), r.end(), [](double v) { return v == 0.0; });
  }

  std::vector<CurvePoint> points;
  CrossoverSettings settings;
  ResponseCurves curves;
};

TEST_F(CurvesTest, FlatPointsGiveZeroRows) {
  for (int p = 0; p < 5; ++p) {
    EXPECT_TRUE(allZero(p)) << p; // H at 19 Hz, L at 20001 Hz, bands at 0 dB
  }
  const auto total = curves.totalPixels();
  EXPECT_TRUE(std::all_of(total.begin(), total.end(), [](int v) { return v == 0; }));
}

TEST_F(CurvesTest, BandGainComesFromItsPixelRow) {
  points[2].row = -20; // +3.0 dB at Hh = 200
  points[2].q = 1.0;
  curves.update(2, points, settings);
  EXPECT_EQ(curves.shownIndex(), 2);
  EXPECT_NEAR(curves.row(2)[points[2].column], -20.0, 1e-4);
  EXPECT_NEAR(curves.total()[points[2].column], -20.0, 1e-4);
  EXPECT_EQ(curves.shownPixels()[points[2].column], -20);
  EXPECT_EQ(curves.totalPixels()[points[2].column], -20);
  EXPECT_EQ(curves.totalPixels()[0], static_cast<int>(curves.total()[0]));
}

TEST_F(CurvesTest, ShelfQAboveTwoDrawsAsTwo) {
  for (int type : {5, 6}) {
    points[3] = {300, 40, 0.0, 5.0, type, true};
    curves.update(3, points, settings);
    const std::vector<double> withFive(curves.row(3).begin(), curves.row(3).end());
    points[3].q = 2.0;
    curves.update(3, points, settings);
    EXPECT_TRUE(std::equal(withFive.begin(), withFive.end(), curves.row(3).begin())) << type;
    EXPECT_FALSE(allZero(3));
  }
}

TEST_F(CurvesTest, CrossoverPointsFollowTheOffRule) {
  points[0].frequency = 19.7;
  curves.update(0, points, settings);
  EXPECT_FALSE(allZero(0));
  points[0].frequency = 19.0;
  curves.update(0, points, settings);
  EXPECT_TRUE(allZero(0));

  points[1].frequency = 20000.0;
  curves.update(1, points, settings);
  EXPECT_FALSE(allZero(1));
  points[1].frequency = 20001.0;
  curves.update(1, points, settings);
  EXPECT_TRUE(allZero(1));

  points[0].frequency = 1000.0;
  for (int code : {46, 60}) {
    settings.highCode = code;
    curves.update(0, points, settings);
    EXPECT_TRUE(allZero(0)) << code;
  }
}

TEST_F(CurvesTest, DisabledPointKeepsItsRowButLeavesTheTotal) {
  points[4].row = 30;
  curves.update(4, points, settings);
  const double atBand = curves.row(4)[400];
  EXPECT_GT(atBand, 20.0);
  points[4].enabled = false;
  curves.update(2, points, settings);
  EXPECT_EQ(curves.row(4)[400], atBand);
  EXPECT_EQ(curves.total()[400], 0.0);
}

TEST_F(CurvesTest, TotalSumsRowsAndCutsTowardZero) {
  points[0].frequency = 1000.0;
  settings.highCode = 30;
  points[2].row = -45;
  points[3].row = 25;
  points[3].bandType = 6;
  curves.updateAll(3, points, settings);
  for (int i = 0; i < W; i += 17) {
    const double sum = curves.row(0)[i] + curves.row(1)[i] + curves.row(2)[i] + curves.row(3)[i] +
                       curves.row(4)[i];
    EXPECT_NEAR(curves.total()[i], sum, 1e-9);
    EXPECT_EQ(curves.totalPixels()[i], static_cast<int>(std::trunc(curves.total()[i])));
    EXPECT_EQ(curves.shownPixels()[i], static_cast<int>(std::trunc(curves.row(3)[i])));
  }
}

TEST_F(CurvesTest, GeometryChangeReallocatesAndZeroes) {
  points[2].row = -45;
  curves.update(2, points, settings);
  curves.setGeometry(W, 300, 5); // height only: rows kept until recomputed
  EXPECT_FALSE(allZero(2));
  curves.setGeometry(W + 1, 300, 5);
  EXPECT_EQ(curves.row(2).size(), static_cast<size_t>(W + 1));
  EXPECT_TRUE(allZero(2));
  curves.update(7, points, settings); // no such point: nothing happens
  EXPECT_TRUE(curves.row(7).empty());
}

} // namespace
} // namespace kv816
