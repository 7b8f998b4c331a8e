#include "model/encodings.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/compressor_lists.h"
#include "model/crossover.h"

namespace kv816 {
namespace {

TEST(Encodings, FrequencyWord) {
  struct Case {
    double hz;
    int raw;
  };
  const Case encodes[] = {{99.9, 33767}, {100.0, 100},  {20.0, 32968},    {63.0, 33398},
                          {57.3, 33341}, {10.0, 32868}, {19999.0, 19999}, {30.0, 33068}};
  for (const auto& c : encodes)
    EXPECT_EQ(encodeFrequency(c.hz), c.raw) << c.hz;

  const Case decodes[] = {{100.0, 100},  {100.0, 33768}, {0.0, 32768},
                          {99.9, 33767}, {20.0, 20},     {3276.7, 65535}};
  for (const auto& c : decodes)
    EXPECT_DOUBLE_EQ(decodeFrequency(c.raw), c.hz) << c.raw;
}

TEST(Encodings, QWordCarriesTheSlopeBit) {
  struct Case {
    int raw;
    double q;
    bool slope12;
  };
  const Case cases[] = {
      {0x8000, 0.0, false}, {0x8064, 1.0, true},   {100, 1.0, false},
      {40, 0.4, false},     {12800, 128.0, false}, {0x8000 + 340, 3.4, true},
  };
  for (const auto& c : cases) {
    const QValue v = decodeQ(c.raw);
    EXPECT_DOUBLE_EQ(v.q, c.q) << c.raw;
    EXPECT_EQ(v.slope12, c.slope12) << c.raw;
  }
  EXPECT_EQ(encodeQ(1.0, true), 0x8064);
  EXPECT_EQ(encodeQ(0.4, false), 40);
  EXPECT_EQ(encodeQ(128.0, false), 12800);
  EXPECT_EQ(encodeQ(1.15, false), 115);
}

TEST(Encodings, GainDelayAndCompressorWords) {
  EXPECT_DOUBLE_EQ(decodeChannelGain(0), -36.0);
  EXPECT_DOUBLE_EQ(decodeChannelGain(480), 12.0);
  EXPECT_EQ(encodeChannelGain(-0.3), 357);
  EXPECT_EQ(encodeChannelGain(12.0), 480);
  EXPECT_DOUBLE_EQ(decodeEqGain(350), -15.0);
  EXPECT_EQ(encodeEqGain(-1.1), 489);
  EXPECT_EQ(encodeEqGain(15.0), 650);

  // Delay: nearest sample when writing, sample centre when reading.
  EXPECT_EQ(encodeDelay(0.1), 5);
  EXPECT_EQ(encodeDelay(0.3), 14);
  EXPECT_EQ(encodeDelay(500.0), 24000);
  EXPECT_NEAR(decodeDelay(24000), 500.0, 0.05);
  for (int tenths = 0; tenths <= 5000; ++tenths) // every control step survives a round trip
    ASSERT_EQ(std::lround(decodeDelay(encodeDelay(tenths / 10.0)) * 10), tenths) << tenths;

  EXPECT_EQ(encodeRatio(10.2), 102);
  EXPECT_DOUBLE_EQ(decodeRatio(1000), 100.0);
  EXPECT_EQ(encodeAttack(0.7), 7);
  EXPECT_DOUBLE_EQ(decodeAttack(900), 90.0);
  EXPECT_EQ(encodeThreshold(-20), 80);
  EXPECT_EQ(decodeThreshold(114), 14);
  EXPECT_TRUE(decodeFlag(2));
  EXPECT_FALSE(decodeFlag(0));
}

TEST(Encodings, PeqTypeListPositions) {
  const int codes[] = {0, 7, 5, 6};
  for (int position = 0; position < 4; ++position) {
    EXPECT_EQ(peqTypeCode(position), codes[position]);
    EXPECT_EQ(peqTypePosition(codes[position]), position);
  }
  for (int other : {1, 2, 3, 4, 8, 65535}) // anything else shows as peaking
    EXPECT_EQ(peqTypePosition(other), 1) << other;
}

TEST(Crossover, CodesAndListPositions) {
  struct Case {
    int position;
    int highPass;
  };
  const Case table[] = {{0, 10}, {1, 16}, {2, 22}, {3, 8},  {4, 14},
                        {5, 20}, {6, 12}, {7, 24}, {8, 56}, {9, 30}};
  for (const auto& c : table) {
    EXPECT_EQ(crossoverCode(c.position, true), c.highPass);
    EXPECT_EQ(crossoverCode(c.position, false), c.highPass + 1);
    EXPECT_EQ(crossoverPosition(c.highPass), c.position);
    EXPECT_EQ(crossoverPosition(c.highPass + 1), c.position);
  }
  for (int unknown : {0, 1, 2, 26, 57 + 2, 100, -1})
    EXPECT_EQ(crossoverPosition(unknown), 0) << unknown;
  EXPECT_EQ(crossoverCode(-1, true), 0); // nothing selected
  EXPECT_EQ(crossoverCode(10, false), 0);
}

TEST(CompressorLists, RawValuesMatchTheOfferedUnits) {
  EXPECT_EQ(ATTACK_RAW_VALUES.front(), encodeAttack(0.5));
  EXPECT_EQ(ATTACK_RAW_VALUES.back(), encodeAttack(90.0));
  EXPECT_EQ(RATIO_RAW_VALUES.front(), encodeRatio(1.0));
  EXPECT_EQ(RATIO_RAW_VALUES.back(), encodeRatio(100.0));
  EXPECT_EQ(THRESHOLD_RAW_MAX - THRESHOLD_RAW_MIN + 1, 35);
  EXPECT_EQ(listPosition(RATIO_RAW_VALUES, 102), 24);
  EXPECT_EQ(listPosition(RELEASE_RAW_VALUES, 32), 7);
  EXPECT_EQ(listPosition(ATTACK_RAW_VALUES, 11), -1);
}

} // namespace
} // namespace kv816
