#include "dsp/value_scale.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <gtest/gtest.h>

#include "dsp/scale_tables.h"

namespace kv816 {
namespace {

struct FormatCase {
  const char* name;
  ScaleConfig config;
  int raw;
  const char* text;
};

TEST(FormatValue, ShowsEachScale) {
  const FormatCase cases[] = {
      {"gain min", CHANNEL_GAIN_SCALE, -360, "-36.0dB"},
      {"gain max", CHANNEL_GAIN_SCALE, 120, "12.0dB"},
      {"new control", ScaleConfig{}, 50, "50dB"},
      {"Q max", PEQ_Q_SCALE, 101, "128"},
      {"Q 100", PEQ_Q_SCALE, 100, "128"},
      {"Q min", PEQ_Q_SCALE, 0, "0.40"},
      {"Q one", PEQ_Q_SCALE, Q_INDEX_ONE, "1.00"},
      {"Q two digits", PEQ_Q_SCALE, 56, "10.1"},
      {"Q geq", PEQ_Q_SCALE, Q_INDEX_GEQ, "11.3"},
      {"hpf off", HPF_FREQ_SCALE, 19, "OFF"},
      {"lpf off", LPF_FREQ_SCALE, 20001, "OFF"},
      {"lpf top", LPF_FREQ_SCALE, 20000, "20000"},
      {"freq", PEQ_FREQ_SCALE, 1000, "1000"},
      {"freq integer quotient", ScaleConfig{SCALE_FREQ, 0, 300000, 10, ""}, 199, "OFF"},
      {"freq integer quotient top", ScaleConfig{SCALE_FREQ, 0, 300000, 10, ""}, 200009, "20000"},
      {"peq gain", PEQ_GAIN_SCALE, -150, "-15.0"},
      {"delay ms", DELAY_MS_SCALE, 29, "2.9ms"},
      {"delay m", DELAY_M_SCALE, 29, "1.00m"},
      {"delay in", DELAY_IN_SCALE, 7, "9.5in"},
      {"delay ms max", DELAY_MS_SCALE, 5000, "500.0ms"},
      {"delay m max", DELAY_M_SCALE, 5000, "173.00m"},
      {"delay in max", DELAY_IN_SCALE, 5000, "6811.0in"},
      {"threshold", THRESHOLD_SCALE, -20, "-20dBu"},
      {"attack min", ATTACK_SCALE, 0, "0.5ms"},
      {"attack max and repeat", ATTACK_SCALE, 16, "90.0ms"},
      {"release", RELEASE_SCALE, 0, "x2.0ms"},
      {"release repeat", RELEASE_SCALE, 8, "x32.0ms"},
      {"ratio", RATIO_SCALE, 10, "4.0"},
      {"ratio limiter", RATIO_SCALE, 40, "100.0"},
      {"ratio repeat", RATIO_SCALE, 41, "100.0"},
      {"table raw out of range", PEQ_Q_SCALE, 5000, "128"},
      {"negative table raw", PEQ_Q_SCALE, -3, "0.40"},
      {"divisor zero", ScaleConfig{SCALE_FREQ, 0, 100, 0, ""}, 50, "50"},
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(formatValue(c.config, c.raw), c.text) << c.name;
  }
}

TEST(ToUnits, DelayCodesReadMilliseconds) {
  EXPECT_NEAR(toUnits(DELAY_MS_SCALE, 29), 2.9, 1e-12);
  EXPECT_NEAR(toUnits(DELAY_M_SCALE, 29), 2.9, 1e-12);
  EXPECT_NEAR(toUnits(DELAY_IN_SCALE, 29), 2.9, 1e-12);
  EXPECT_DOUBLE_EQ(toUnits(PEQ_Q_SCALE, -1), 0.0);
  EXPECT_DOUBLE_EQ(toUnits(PEQ_Q_SCALE, Q_INDEX_ONE), 1.0);
  EXPECT_DOUBLE_EQ(toUnits(ATTACK_SCALE, 2), 1.0);
  EXPECT_DOUBLE_EQ(toUnits(CHANNEL_GAIN_SCALE, -35), -3.5);
  EXPECT_DOUBLE_EQ(toUnits(ScaleConfig{SCALE_FREQ, 0, 300000, 10, ""}, 475), 47.5);
}

struct FromCase {
  const char* name;
  ScaleConfig config;
  double x;
  const char* text;
  int raw;
};

TEST(FromUnits, ConvertsAndClamps) {
  const FromCase cases[] = {
      {"Q 200 tops out", PEQ_Q_SCALE, 200, "", 100},
      {"Q 0.3", PEQ_Q_SCALE, 0.3, "", 0},
      {"Q 0", PEQ_Q_SCALE, 0, "", 0},
      {"Q exact entry", PEQ_Q_SCALE, 1.5, "", 23},
      {"Q between entries goes up", PEQ_Q_SCALE, 1.03, "", 17},
      {"Q one", PEQ_Q_SCALE, 1.0, "", Q_INDEX_ONE},
      {"ms typed", DELAY_MS_SCALE, 12.5, "12.5ms", 125},
      {"m typed", DELAY_M_SCALE, 1, "1", 29},
      {"m from a page in ms", DELAY_M_SCALE, 2.9, "", 29},
      {"in typed", DELAY_IN_SCALE, 10, "10", 7},
      {"in from a page in ms", DELAY_IN_SCALE, 0.7, "", 7},
      {"delay clamps high", DELAY_MS_SCALE, 900, "", 5000},
      {"threshold up", THRESHOLD_SCALE, 3.7, "", 3},
      {"threshold toward zero", THRESHOLD_SCALE, -3.7, "", -3},
      {"threshold clamps", THRESHOLD_SCALE, -40, "", -20},
      {"ratio 4", RATIO_SCALE, 4, "", 10},
      {"ratio 31", RATIO_SCALE, 31, "", 40},
      {"ratio 1", RATIO_SCALE, 1, "", 0},
      {"attack min", ATTACK_SCALE, 0.5, "", 0},
      {"attack between", ATTACK_SCALE, 1.2, "", 3},
      {"release 5", RELEASE_SCALE, 5, "", 2},
      {"gain", CHANNEL_GAIN_SCALE, -3.55, "", -35},
      {"gain clamps", CHANNEL_GAIN_SCALE, 40, "", 120},
      {"hpf below", HPF_FREQ_SCALE, 10, "", 19},
      {"lpf above", LPF_FREQ_SCALE, 30000, "", 20001},
      {"huge", PEQ_FREQ_SCALE, 1e300, "", 20000},
      {"not a number", PEQ_FREQ_SCALE, std::nan(""), "", 20},
  };
  for (const FromCase& c : cases) {
    EXPECT_EQ(fromUnits(c.config, c.x, c.text), c.raw) << c.name;
  }
}

constexpr int KEPT = -99999;

struct TypedCase {
  const char* name;
  ScaleConfig config;
  const char* text;
  int current;
  int raw; // KEPT: unreadable, the edit keeps its value and sends nothing
};

TEST(ParseTyped, ReadsWhatTheUserTypedOrKeepsTheValue) {
  const TypedCase cases[] = {
      {"OFF keeps", HPF_FREQ_SCALE, "OFF", 1234, 1234},
      {"off in any case keeps", HPF_FREQ_SCALE, "off", 1234, 1234},
      {"spaces around", HPF_FREQ_SCALE, " OFF ", 1234, 1234},
      {"lone minus", CHANNEL_GAIN_SCALE, "-", 50, KEPT},
      {"nothing", PEQ_FREQ_SCALE, "abc", 1000, KEPT},
      {"empty", PEQ_FREQ_SCALE, "", 1000, KEPT},
      {"two points", CHANNEL_GAIN_SCALE, "1.2.3", 0, KEPT},
      {"inner minus", THRESHOLD_SCALE, "1-2", 0, KEPT},
      {"comma", PEQ_GAIN_SCALE, "1,5", 0, KEPT},
      {"kilo", PEQ_FREQ_SCALE, "1.2k", 20, 1200},
      {"kilo between digits", PEQ_FREQ_SCALE, "1k2", 20, 1200},
      {"kHz", PEQ_FREQ_SCALE, "2.5 kHz", 20, 2500},
      {"Hz", PEQ_FREQ_SCALE, "850Hz", 20, 850},
      {"unit of another scale", PEQ_FREQ_SCALE, "850ms", 1000, KEPT},
      {"overlong", PEQ_FREQ_SCALE, "99999999999999999999999", 1000, 20000},
      {"below range clamps", PEQ_FREQ_SCALE, "5", 1000, 20},
      {"dB", CHANNEL_GAIN_SCALE, "-3.5dB", 0, -35},
      {"plus sign", PEQ_GAIN_SCALE, "+2 dB", 0, 20},
      {"dBu", THRESHOLD_SCALE, "-10dBu", 0, -10},
      {"ms in ms", DELAY_MS_SCALE, "12.5ms", 0, 125},
      {"bare in ms", DELAY_MS_SCALE, "12.5", 0, 125},
      {"metres in ms edit", DELAY_MS_SCALE, "1m", 0, 29},
      {"bare in metre edit", DELAY_M_SCALE, "1", 0, 29},
      {"ms in metre edit", DELAY_M_SCALE, "2.9ms", 0, 29},
      {"inches", DELAY_IN_SCALE, "10in", 0, 7},
      {"seconds", DELAY_MS_SCALE, "0.25s", 0, 2500},
      {"dB in a delay", DELAY_MS_SCALE, "3dB", 40, KEPT},
      {"Q 200", PEQ_Q_SCALE, "200", 16, 100},
      {"Q 0.3", PEQ_Q_SCALE, "0.3", 16, 0},
      {"release as shown", RELEASE_SCALE, "x5.0ms", 0, 2},
      {"release bare", RELEASE_SCALE, "5", 0, 2},
      {"ratio", RATIO_SCALE, "4", 0, 10},
  };
  for (const TypedCase& c : cases) {
    const std::optional<int> raw = parseTyped(c.config, c.text, c.current);
    EXPECT_EQ(raw.value_or(KEPT), c.raw) << c.name;
  }
}

// Whatever an edit shows must read back as the same value when the user confirms it.
TEST(ParseTyped, ShownTextReadsBack) {
  const ScaleConfig scales[] = {CHANNEL_GAIN_SCALE, DELAY_MS_SCALE, DELAY_M_SCALE,  DELAY_IN_SCALE,
                                PEQ_FREQ_SCALE,     PEQ_Q_SCALE,    PEQ_GAIN_SCALE, THRESHOLD_SCALE,
                                ATTACK_SCALE,       RELEASE_SCALE,  RATIO_SCALE};
  for (const ScaleConfig& scale : scales) {
    for (int raw = scale.min; raw <= scale.max; raw += std::max(1, (scale.max - scale.min) / 97)) {
      const std::string shown = formatValue(scale, raw);
      const std::optional<int> back = parseTyped(scale, shown, raw);
      ASSERT_TRUE(back.has_value()) << shown;
      EXPECT_EQ(formatValue(scale, *back), shown) << shown;
    }
  }
}

TEST(ScaleTables, RepeatsAndCeilingIndex) {
  EXPECT_EQ(QTable[100], 128);
  EXPECT_EQ(QTable[103], 128);
  EXPECT_EQ(FreqTable[0], 19);
  EXPECT_EQ(FreqTable[1], 19.7);
  EXPECT_EQ(FreqTable[362], 20600);
  EXPECT_EQ(FreqTable[364], 20600);
  EXPECT_EQ(AttackTable[16], 900);
  EXPECT_EQ(ReleaseTable[8], 32);
  EXPECT_EQ(RatioTable[41], 1000);
  for (size_t i = 1; i < FREQ_TABLE_COUNT; ++i) {
    ASSERT_LT(FreqTable[i - 1], FreqTable[i]) << i;
  }
  // Never 0 on its own, even below the first entry.
  EXPECT_EQ(ceilingIndex(QTable, Q_TABLE_COUNT, 0.1), 1);
  EXPECT_EQ(ceilingIndex(QTable, Q_TABLE_COUNT, 128), 100);
  EXPECT_EQ(ceilingIndex(FreqTable, FREQ_TABLE_COUNT, 1000), 205);
  EXPECT_EQ(ceilingEntry(QTable, Q_TABLE_COUNT, 11.0), 11.3);
  EXPECT_EQ(ceilingEntry(QTable, Q_TABLE_COUNT, 500.0), 128);
}

} // namespace
} // namespace kv816
