// Parameter names and engineering-unit values, as every text interface reads and prints them.

#include <gtest/gtest.h>

#include <vector>

#include "edit/param_names.h"
#include "edit/param_values.h"
#include "model/channel_layout.h"
#include "model/compressor_lists.h"
#include "model/crossover.h"
#include "model/encodings.h"
#include "model/factory_defaults.h"
#include "model/parameter_table.h"

namespace kv816 {
namespace {

TEST(ParamNames, NamesMapToTheLayoutsIndexes) {
  const struct {
    const char* name;
    int index;
    ValueKind kind;
  } cases[] = {
      {"in1.mute", 21, ValueKind::Flag},
      {"inB.gain", 195, ValueKind::ChannelGain},
      {"IN4.Delay", 540, ValueKind::Delay},
      {"in1.geq1.type", 27, ValueKind::BandType},
      {"in1.geq31.gain", 149, ValueKind::EqGain},
      {"in1.geq12.gain", 29 + 4 * 11, ValueKind::EqGain},
      {"in1.peq1.freq", 152, ValueKind::Frequency},
      {"in1.noisegate", 19, ValueKind::NoiseGate},
      {"in1.link", 20, ValueKind::InputLink},
      {"out1.link", 715, ValueKind::OutputLink},
      {"out3.routing", 709, ValueKind::Routing},
      {"out2.peq3.gain", 785 + 8, ValueKind::EqGain},
      {"out8.peq10.q", 1146, ValueKind::Q},
      {"out1.hpf.freq", 726, ValueKind::HpfFrequency},
      {"out1.lpf.type", 727, ValueKind::LowPassType},
      {"out1.comp.ratio", 720, ValueKind::Ratio},
      {"out1.comp.threshold", 723, ValueKind::Threshold},
      {"idx1165", 1165, ValueKind::Raw},
      {"#0", 0, ValueKind::Raw},
  };
  for (const auto& c : cases) {
    const std::optional<ParamRef> ref = parseParamName(c.name);
    ASSERT_TRUE(ref) << c.name;
    EXPECT_EQ(ref->index, c.index) << c.name;
    EXPECT_EQ(ref->kind, c.kind) << c.name;
  }
}

TEST(ParamNames, NamesOutsideTheSchemeOrMissingFunctionsAreRefused) {
  for (const char* name :
       {"in5.gain", "out9.mute", "out0.mute", "in1.hpf.freq", "out1.geq3.gain", "out1.noisegate",
        "in1.routing", "in1.peq11.gain", "in1.geq0.gain", "in1.peq1.slope", "idx1175", "#-1",
        "gain", "in1.", "in1.peq.gain", "in1.peq1x.gain"})
    EXPECT_FALSE(parseParamName(name)) << name;
}

TEST(ParamNames, EveryChannelEntryHasANameThatReadsBack) {
  for (int index = 0; index < PARAM_COUNT; ++index) {
    const std::optional<ParamRef> ref = parseParamName(paramName(index));
    ASSERT_TRUE(ref) << paramName(index);
    EXPECT_EQ(ref->index, index) << paramName(index);
  }
}

TEST(ParamValues, EngineeringUnitsGiveTheDeviceWords) {
  const struct {
    ValueKind kind;
    const char* text;
    int raw;
  } cases[] = {
      {ValueKind::ChannelGain, "-3.5dB", 325},
      {ValueKind::ChannelGain, "12", 480},
      {ValueKind::ChannelGain, "-36 db", 0},
      {ValueKind::EqGain, "-15dB", 350},
      {ValueKind::EqGain, "+1.5", 515},
      {ValueKind::Frequency, "1k", 1000},
      {ValueKind::Frequency, "1.2kHz", 1200},
      {ValueKind::Frequency, "57.3Hz", 33341},
      {ValueKind::Frequency, "99.9", 33767},
      {ValueKind::HpfFrequency, "OFF", 32958},
      {ValueKind::LpfFrequency, "off", 20001},
      {ValueKind::HpfFrequency, "OFF:10.0Hz", 32868},
      {ValueKind::LpfFrequency, "off:20600", 20600},
      {ValueKind::HpfFrequency, "off:19.9Hz", 32967},
      {ValueKind::Ratio, "10.2:1", 102},
      {ValueKind::Ratio, "100", 1000},
      {ValueKind::Attack, "0.5ms", 5},
      {ValueKind::Attack, "90", 900},
      {ValueKind::Threshold, "14", 114},
      {ValueKind::Q, "1.41", 141},
      {ValueKind::Q, "1/12dB", 0x8064},
      {ValueKind::Delay, "2.4ms", 115},
      {ValueKind::Delay, "0.3", 14},
      {ValueKind::Ratio, "4:1", 40},
      {ValueKind::Attack, "1.4ms", 14},
      {ValueKind::Release, "x8", 8},
      {ValueKind::Threshold, "-10dBu", 90},
      {ValueKind::NoiseGate, "-80dB", 80},
      {ValueKind::Flag, "on", 1},
      {ValueKind::Flag, "off", 0},
      {ValueKind::InputLink, "C", 4},
      {ValueKind::OutputLink, "8", 128},
      {ValueKind::Routing, "ABD", 11},
      {ValueKind::Routing, "none", 0},
      {ValueKind::BandType, "hs", 5},
      {ValueKind::HighPassType, "lr48", 30},
      {ValueKind::LowPassType, "butter24", 21},
      {ValueKind::ChannelGain, "raw:360", 360},
      {ValueKind::Raw, "65535", 65535},
  };
  for (const auto& c : cases) {
    const ParsedValue v = parseParamValue(c.kind, c.text);
    ASSERT_TRUE(v.raw) << c.text << ": " << v.error;
    EXPECT_EQ(*v.raw, c.raw) << c.text;
  }
}

TEST(ParamValues, ValuesOutsideTheControlsRangesAreRefused) {
  const struct {
    ValueKind kind;
    const char* text;
  } cases[] = {
      {ValueKind::ChannelGain, "12.1dB"},
      {ValueKind::ChannelGain, "-3.5dBx"},
      {ValueKind::EqGain, "16"},
      {ValueKind::Frequency, "19Hz"},
      {ValueKind::Frequency, "20.1k"},
      {ValueKind::Frequency, "off"},
      {ValueKind::Q, "0.3"},
      {ValueKind::Delay, "500.1ms"},
      {ValueKind::Release, "5"},
      {ValueKind::Ratio, "3:1"},
      {ValueKind::Ratio, "31"},
      {ValueKind::Attack, "3ms"},
      {ValueKind::Attack, "0.4"},
      {ValueKind::Threshold, "15dBu"},
      {ValueKind::Threshold, "-3.5dBu"},
      {ValueKind::HpfFrequency, "10Hz"},
      {ValueKind::HpfFrequency, "off:25Hz"},
      {ValueKind::LpfFrequency, "off:19k"},
      {ValueKind::LpfFrequency, "off:40k"},
      {ValueKind::Frequency, "off:10Hz"},
      {ValueKind::Flag, "maybe"},
      {ValueKind::InputLink, "E"},
      {ValueKind::Routing, "AE"},
      {ValueKind::Raw, "65536"},
      {ValueKind::ChannelGain, "raw:-1"},
      {ValueKind::ChannelGain, ""},
  };
  for (const auto& c : cases)
    EXPECT_FALSE(parseParamValue(c.kind, c.text).raw) << c.text;
}

TEST(ParamValues, CompressorRefusalsListTheAllowedValues) {
  const struct {
    ValueKind kind;
    const char* text;
    const char* listed;
  } cases[] = {
      {ValueKind::Ratio, "3:1", "2.8, 3.2"},
      {ValueKind::Ratio, "3:1", "30.0, 100.0"},
      {ValueKind::Attack, "3ms", "2.8, 4.0"},
      {ValueKind::Release, "x5", "4, 6"},
  };
  for (const auto& c : cases)
    EXPECT_NE(parseParamValue(c.kind, c.text).error.find(c.listed), std::string::npos)
        << c.text << ": " << parseParamValue(c.kind, c.text).error;
}

// What `get` and `dump` print is accepted by `set` and gives the same word, for every
// entry of the factory defaults.
TEST(ParamValues, PrintedValuesReadBackToTheSameWord) {
  ParameterTable table;
  table.loadDefaults();
  for (int index = 19; index <= IDX_CHANNELS_LAST; ++index) {
    const ParamRef ref = paramOfIndex(index);
    const std::string text = formatParamValue(ref.kind, table.wireValue(index));
    const ParsedValue back = parseParamValue(ref.kind, text);
    ASSERT_TRUE(back.raw) << paramName(index) << " " << text << ": " << back.error;
    EXPECT_EQ(*back.raw, table.wireValue(index)) << paramName(index) << " " << text;
  }
  EXPECT_EQ(formatParamValue(ValueKind::ChannelGain, 325), "-3.5dB");
  EXPECT_EQ(formatParamValue(ValueKind::Frequency, 33341), "57.3Hz");
  EXPECT_EQ(formatParamValue(ValueKind::Delay, 115), "2.396ms");
  EXPECT_EQ(formatParamValue(ValueKind::Routing, 11), "ABD");
  EXPECT_EQ(formatParamValue(ValueKind::HpfFrequency, 32868), "OFF:10Hz");
  EXPECT_EQ(formatParamValue(ValueKind::HpfFrequency, 32958), "OFF");
  EXPECT_EQ(formatParamValue(ValueKind::LpfFrequency, 20600), "OFF:20600Hz");
  EXPECT_EQ(formatParamValue(ValueKind::LpfFrequency, 20001), "OFF");
  EXPECT_EQ(formatParamValue(ValueKind::Ratio, 30), "raw:30");
}

// The words each kind's controls can produce, all of which must print in engineering units.
std::vector<int> controlWords(ValueKind kind) {
  std::vector<int> words;
  auto span = [&](int low, int high) {
    for (int w = low; w <= high; ++w)
      words.push_back(w);
  };
  auto audioBand = [&] {
    for (int tenths = 200; tenths < 1000; ++tenths)
      words.push_back(encodeFrequency(tenths / 10.0));
    span(100, 20000);
  };
  switch (kind) {
  case ValueKind::Raw:
    span(0, 0xFFFF);
    break;
  case ValueKind::Flag:
    span(0, 1);
    break;
  case ValueKind::ChannelGain:
    span(0, CHANNEL_GAIN_MAX);
    break;
  case ValueKind::EqGain:
    span(EQ_GAIN_ZERO - 150, EQ_GAIN_ZERO + 150);
    break;
  case ValueKind::Frequency:
    audioBand();
    break;
  case ValueKind::HpfFrequency:
    audioBand();
    words.insert(words.end(), {encodeFrequency(19), encodeFrequency(10)});
    break;
  case ValueKind::LpfFrequency:
    audioBand();
    words.insert(words.end(), {20001, 20600});
    break;
  case ValueKind::Q:
    span(40, 12800);
    span(Q_SLOPE_BIT + 40, Q_SLOPE_BIT + 12800);
    break;
  case ValueKind::Delay:
    span(0, DELAY_MAX);
    break;
  case ValueKind::Ratio:
    words.assign(RATIO_RAW_VALUES.begin(), RATIO_RAW_VALUES.end());
    break;
  case ValueKind::Attack:
    words.assign(ATTACK_RAW_VALUES.begin(), ATTACK_RAW_VALUES.end());
    break;
  case ValueKind::Release:
    words.assign(RELEASE_RAW_VALUES.begin(), RELEASE_RAW_VALUES.end());
    break;
  case ValueKind::Threshold:
    span(THRESHOLD_RAW_MIN, THRESHOLD_RAW_MAX);
    break;
  case ValueKind::NoiseGate:
    span(0, NOISE_GATE_MAX);
    break;
  case ValueKind::InputLink:
    words = {1, 2, 4, 8};
    break;
  case ValueKind::OutputLink:
    for (int g = 0; g < OUTPUT_COUNT; ++g)
      words.push_back(1 << g);
    break;
  case ValueKind::Routing:
    span(0, 15);
    break;
  case ValueKind::BandType:
    words = {BAND_TYPE_OFF, BAND_TYPE_HIGH_SHELF, BAND_TYPE_LOW_SHELF, BAND_TYPE_PEAKING};
    break;
  case ValueKind::HighPassType:
  case ValueKind::LowPassType:
    for (int p = 0; p < CROSSOVER_TYPE_COUNT; ++p)
      words.push_back(crossoverCode(p, kind == ValueKind::HighPassType));
    break;
  }
  return words;
}

// Every 16-bit word of every kind prints as text that parses back to that word; the
// words the controls produce print in engineering units rather than raw.
TEST(ParamValues, EveryWordOfEveryKindRoundTrips) {
  for (int k = static_cast<int>(ValueKind::Raw); k <= static_cast<int>(ValueKind::LowPassType);
       ++k) {
    const auto kind = static_cast<ValueKind>(k);
    for (int raw = 0; raw <= 0xFFFF; ++raw) {
      const std::string text = formatParamValue(kind, raw);
      const ParsedValue back = parseParamValue(kind, text);
      ASSERT_EQ(back.raw, raw) << "kind " << k << " " << text << ": " << back.error;
    }
    for (int raw : controlWords(kind))
      ASSERT_FALSE(formatParamValue(kind, raw).starts_with("raw:"))
          << "kind " << k << " word " << raw << " " << formatParamValue(kind, raw);
  }
}

} // namespace
} // namespace kv816
