#include "presets/filter_text_export.h"
#include "presets/filter_text_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "model/channel_layout.h"
#include "model/crossover.h"
#include "model/encodings.h"
#include "model/parameter_table.h"

namespace kv816 {
namespace {

using Kind = FilterTextNote::Kind;

std::vector<int32_t> defaults() {
  auto table = std::make_unique<ParameterTable>();
  table->loadDefaults();
  std::vector<int32_t> values(PARAM_COUNT);
  for (int i = 0; i < PARAM_COUNT; ++i) {
    values[i] = table->value(i);
  }
  return values;
}

struct BandWords {
  int type;
  double hz;
  double db;
  double q;
  bool slope12;
};

// Peaking, both shelves with both slopes, bypassed bands (one carrying the slope bit),
// tenth-hertz and whole-hertz frequencies, the gain and Q limits.
constexpr BandWords BANDS[PEQ_BAND_COUNT] = {{BAND_TYPE_PEAKING, 1000, 6.0, 2.0, false},
                                             {BAND_TYPE_LOW_SHELF, 57.3, 4.5, 0.71, false},
                                             {BAND_TYPE_LOW_SHELF, 120, -3.0, 1.5, true},
                                             {BAND_TYPE_HIGH_SHELF, 8000, -2.5, 0.7, true},
                                             {BAND_TYPE_HIGH_SHELF, 12000, 1.0, 2.0, false},
                                             {BAND_TYPE_OFF, 500, -7.0, 3.3, false},
                                             {BAND_TYPE_OFF, 20, 0.0, 1.0, true},
                                             {BAND_TYPE_PEAKING, 20000, -15.0, 128, false},
                                             {BAND_TYPE_PEAKING, 33.3, 15.0, 0.4, false},
                                             {BAND_TYPE_PEAKING, 99.9, -0.1, 12.34, false}};

void setChannel(std::vector<int32_t>& v, int channel, bool eqBypass) {
  auto at = [&](ChannelFunction f, int band = 0) -> int32_t& {
    return v[indexOf(f, channel, band)];
  };
  at(ChannelFunction::Gain) = encodeChannelGain(-3.0);
  at(ChannelFunction::PeqBypass) = eqBypass ? 1 : 0;
  for (int b = 0; b < PEQ_BAND_COUNT; ++b) {
    at(ChannelFunction::PeqType, b) = BANDS[b].type;
    at(ChannelFunction::PeqFreq, b) = encodeFrequency(BANDS[b].hz);
    at(ChannelFunction::PeqGain, b) = encodeEqGain(BANDS[b].db);
    at(ChannelFunction::PeqQ, b) = encodeQ(BANDS[b].q, BANDS[b].slope12);
  }
  if (isOutput(channel)) {
    at(ChannelFunction::HpfType) = crossoverCode(7, true); // Linkwitz-Riley 24
    at(ChannelFunction::HpfFreq) = encodeFrequency(80.5);
  }
}

std::vector<int32_t> blockWords(const std::vector<int32_t>& v, int channel) {
  return {v.begin() + blockStart(channel), v.begin() + blockEnd(channel) + 1};
}

void applyEdits(std::vector<int32_t>& v, const FilterTextImport& in) {
  for (const ParameterEdit& e : in.edits) {
    v[e.index] = e.value;
  }
}

TEST(FilterText, ExportImportGivesTheSameWordsOnAnotherChannel) {
  struct Case {
    int from;
    int to;
    bool eqBypass;
  };
  for (const Case c : {Case{4, 6, false}, Case{5, 11, true}, Case{0, 2, false}, Case{1, 3, true}}) {
    std::vector<int32_t> source = defaults();
    setChannel(source, c.from, c.eqBypass);
    const std::string text = exportFilterText(source, c.from, FilterTextFormat::EqualizerApo);
    std::vector<int32_t> target = defaults();
    const FilterTextImport in = importFilterText(text, c.to);
    ASSERT_TRUE(in.error.empty()) << in.error;
    for (const FilterTextNote& n : in.notes) {
      ADD_FAILURE() << "line " << n.line << ": " << n.text << "\n" << text;
    }
    applyEdits(target, in);
    EXPECT_EQ(blockWords(target, c.to), blockWords(source, c.from)) << text;
  }
}

TEST(FilterText, ExportLines) {
  std::vector<int32_t> v = defaults();
  setChannel(v, 4, false);
  const std::string apo = exportFilterText(v, 4, FilterTextFormat::EqualizerApo);
  for (const char* line :
       {"Preamp: -3.0 dB\n", "# high-pass: Linkwitz-Riley 24 dB/oct\nFilter 1: ON HP Fc 80.5 Hz\n",
        "Filter 2: OFF LP Fc 20600 Hz\n", "Filter 3: ON PK Fc 1000 Hz Gain 6.0 dB Q 2.00\n",
        "# slope: 6dB\nFilter 4: ON LSC Fc 57.3 Hz Gain 4.5 dB Q 0.71\n",
        "# slope: 12dB\nFilter 6: ON HSC Fc 8000 Hz Gain -2.5 dB Q 0.70\n",
        "Filter 8: OFF PK Fc 500 Hz Gain -7.0 dB Q 3.30\n"}) {
    EXPECT_NE(apo.find(line), std::string::npos) << line << "\n" << apo;
  }
  const std::string rew = exportFilterText(v, 4, FilterTextFormat::Rew);
  EXPECT_TRUE(rew.starts_with("Filter Settings file\n")) << rew;
  EXPECT_NE(rew.find("Filter  4: ON  LSQ  Fc 57.3 Hz Gain 4.5 dB Q 0.71\n"), std::string::npos)
      << rew;
  EXPECT_EQ(rew.find('#'), std::string::npos) << rew;
}

struct NoteCase {
  const char* line;
  int channel;
  Kind kind;
  ChannelFunction function; // the word checked
  int32_t word;             // its value after the import, -1 when no edit names it
};

TEST(FilterText, EachLineIsRoundedClampedOrDroppedWithItsNumber) {
  const NoteCase cases[] = {
      {"Filter 1: ON PK Fc 1000.4 Hz Gain 6.0 dB Q 2.00", 4, Kind::Rounded,
       ChannelFunction::PeqFreq, 1000},
      {"Filter: ON PK Fc 57.34 Hz Gain 6.0 dB Q 2.00", 4, Kind::Rounded, ChannelFunction::PeqFreq,
       encodeFrequency(57.3)},
      {"Filter 1: ON PK Fc 1000 Hz Gain 6.04 dB Q 2.00", 4, Kind::Rounded, ChannelFunction::PeqGain,
       encodeEqGain(6.0)},
      {"Filter 1: ON PK Fc 1000 Hz Gain 20 dB Q 2.00", 4, Kind::Clamped, ChannelFunction::PeqGain,
       encodeEqGain(15.0)},
      {"Filter 1: ON PK Fc 10 Hz Gain 1 dB Q 2.00", 4, Kind::Clamped, ChannelFunction::PeqFreq,
       encodeFrequency(20)},
      {"Filter 1: ON PK Fc 1000 Hz Gain 1 dB Q 0.1", 4, Kind::Clamped, ChannelFunction::PeqQ, 40},
      {"Filter 1: ON PK Fc 1000 Hz Gain 1 dB Q 1.234", 4, Kind::Rounded, ChannelFunction::PeqQ,
       123},
      {"Filter 1: ON PK Fc 1000 Hz Gain 1 dB", 4, Kind::Assumed, ChannelFunction::PeqQ, 100},
      {"Filter 1: ON PK Fc 1000 Hz Gain 1 dB BW Oct 1", 4, Kind::Rounded, ChannelFunction::PeqQ,
       141},
      {"Filter 1: ON LS 6dB Fc 200 Hz Gain 1 dB", 4, Kind::Assumed, ChannelFunction::PeqQ, 71},
      {"Filter 1: ON HSC 20 dB Fc 2000 Hz Gain 1 dB Q 0.7", 4, Kind::Rounded, ChannelFunction::PeqQ,
       70 | Q_SLOPE_BIT},
      {"Preamp: 20 dB", 4, Kind::Clamped, ChannelFunction::Gain, CHANNEL_GAIN_MAX},
      {"Preamp: -6.66 dB", 0, Kind::Rounded, ChannelFunction::Gain, encodeChannelGain(-6.7)},
      {"Filter 1: ON NO Fc 1000 Hz", 4, Kind::Unsupported, ChannelFunction::PeqType, BAND_TYPE_OFF},
      {"Filter 1: ON HP Fc 80 Hz", 0, Kind::Unsupported, ChannelFunction::PeqType, BAND_TYPE_OFF},
      {"Filter 1: ON HPQ Fc 80 Hz Q 1.5", 4, Kind::Unsupported, ChannelFunction::HpfFreq, -1},
      {"Filter 1: OFF HP Fc 80 Hz", 4, Kind::Assumed, ChannelFunction::HpfFreq,
       encodeFrequency(19)},
      {"Filter 1: OFF LP Fc 8000 Hz", 4, Kind::Assumed, ChannelFunction::LpfFreq, 20001},
      {"Filter 1: ON PK Fc -5 Hz Gain 1 dB Q 1", 4, Kind::Dropped, ChannelFunction::PeqType,
       BAND_TYPE_OFF},
      {"Filter 1: ON PK Fc nan Hz Gain 1 dB Q 1", 4, Kind::Dropped, ChannelFunction::PeqType,
       BAND_TYPE_OFF},
      {"Delay: 3 ms", 4, Kind::Unsupported, ChannelFunction::PeqType, BAND_TYPE_OFF},
  };
  for (const NoteCase& c : cases) {
    const std::string text = std::string("# header\n\n") + c.line + "\n";
    const FilterTextImport in = importFilterText(text, c.channel);
    ASSERT_TRUE(in.error.empty()) << c.line;
    const auto found = std::find_if(in.notes.begin(), in.notes.end(),
                                    [&](const auto& n) { return n.line == 3 && n.kind == c.kind; });
    EXPECT_NE(found, in.notes.end()) << c.line << ": no " << noteKindName(c.kind) << " note";
    const int index = indexOf(c.function, c.channel, 0);
    const auto edit = std::find_if(in.edits.begin(), in.edits.end(),
                                   [&](const ParameterEdit& e) { return e.index == index; });
    EXPECT_EQ(edit == in.edits.end() ? -1 : edit->value, c.word) << c.line;
  }
}

TEST(FilterText, MoreFiltersThanBandsChangesNothing) {
  std::string text = "Preamp: -3 dB\n";
  for (int i = 1; i <= 11; ++i) {
    text += "Filter " + std::to_string(i) + ": ON PK Fc " + std::to_string(100 * i) +
            " Hz Gain 1 dB Q 1\n";
  }
  const FilterTextImport in = importFilterText(text, 4);
  EXPECT_NE(in.error.find("11 equaliser filters"), std::string::npos) << in.error;
  EXPECT_TRUE(in.edits.empty());
}

TEST(FilterText, ReadsRewGenericFile) {
  const char* text = "Filter Settings file\r\n\r\nRoom EQ V5.20\r\nDated: 01-02-2024\r\n\r\n"
                     "Notes: living room\r\n\r\nEqualiser: Generic\r\nAverage 1\r\n"
                     "Filter  1: ON  PK       Fc   63.5 Hz  Gain  -5.0 dB  Q  4.000\r\n"
                     "Filter  2: ON  LS 12dB  Fc   80.0 Hz  Gain   3.0 dB\r\n"
                     "Filter  3: None\r\n";
  const FilterTextImport in = importFilterText(text, 5);
  ASSERT_TRUE(in.error.empty());
  std::vector<int32_t> v = defaults();
  applyEdits(v, in);
  auto word = [&](ChannelFunction f, int band) { return v[indexOf(f, 5, band)]; };
  EXPECT_EQ(word(ChannelFunction::PeqType, 0), BAND_TYPE_PEAKING);
  EXPECT_EQ(word(ChannelFunction::PeqFreq, 0), encodeFrequency(63.5));
  EXPECT_EQ(word(ChannelFunction::PeqGain, 0), encodeEqGain(-5.0));
  EXPECT_EQ(word(ChannelFunction::PeqQ, 0), 400);
  EXPECT_EQ(word(ChannelFunction::PeqType, 1), BAND_TYPE_LOW_SHELF);
  EXPECT_EQ(word(ChannelFunction::PeqQ, 1), 71 | Q_SLOPE_BIT);
  for (int band = 2; band < PEQ_BAND_COUNT; ++band) {
    EXPECT_EQ(word(ChannelFunction::PeqType, band), BAND_TYPE_OFF) << band;
  }
  // Header lines and the empty slot are not reported; the assumed Q and the bands left
  // over are.
  ASSERT_EQ(in.notes.size(), 2u);
  EXPECT_EQ(in.notes[0].line, 11);
  EXPECT_EQ(in.notes[1].line, 0);
}

} // namespace
} // namespace kv816
