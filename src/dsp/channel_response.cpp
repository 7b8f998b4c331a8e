#include "dsp/channel_response.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "dsp/filter_sections.h"
#include "dsp/response_math.h"
#include "dsp/scale_tables.h"
#include "model/channel_layout.h"
#include "model/encodings.h"

namespace kv816 {
namespace {

constexpr int EQ_GAIN_LIMIT = 150; // +/-15.0 dB, the graph's gain range

struct BandWords {
  ChannelFunction type;
  ChannelFunction freq;
  ChannelFunction gain;
  ChannelFunction q;
  int count;
};

constexpr BandWords PEQ_WORDS{ChannelFunction::PeqType, ChannelFunction::PeqFreq,
                              ChannelFunction::PeqGain, ChannelFunction::PeqQ, PEQ_BAND_COUNT};
constexpr BandWords GEQ_WORDS{ChannelFunction::GeqType, ChannelFunction::GeqFreq,
                              ChannelFunction::GeqGain, ChannelFunction::GeqQ, GEQ_BAND_COUNT};

int32_t valueOf(const ParameterTable& table, ChannelFunction function, int channel, int band = 0) {
  return table.value(indexOf(function, channel, band));
}

// The Q the graph holds for a Q word: clamped to 0.4..128, then the QTable entry not below.
double graphQ(double q) {
  return ceilingEntry(QTable, Q_TABLE_COUNT, std::clamp(q, BAND_Q_MIN, BAND_Q_MAX));
}

SectionSet sectionsOf(const ResponseFilter& f) {
  if (f.kind != ResponseFilter::Kind::Band) {
    return filterSections(f.code, f.frequency);
  }
  SectionSet set;
  set.sections[0] = bandSection(f.frequency, f.q, f.code, std::pow(10.0, f.gainDb / 40.0));
  set.count = 1;
  return set;
}

void addCrossover(const ParameterTable& table, int channel, bool low,
                  std::vector<ResponseFilter>& out) {
  ResponseFilter f;
  f.kind = low ? ResponseFilter::Kind::LowPass : ResponseFilter::Kind::HighPass;
  f.code = valueOf(table, low ? ChannelFunction::LpfType : ChannelFunction::HpfType, channel);
  const double raw = decodeFrequency(
      valueOf(table, low ? ChannelFunction::LpfFreq : ChannelFunction::HpfFreq, channel));
  f.frequency = low ? std::clamp(raw, LOW_PASS_MIN, LOW_PASS_MAX)
                    : std::clamp(raw, HIGH_PASS_MIN, HIGH_PASS_MAX);
  if (isFilterOff(low, f.frequency, low ? LOW_PASS_MAX : HIGH_PASS_MAX) ||
      filterSections(f.code, f.frequency).count == 0) {
    return;
  }
  out.push_back(std::move(f));
}

void addBands(const ParameterTable& table, int channel, const BandWords& words,
              std::vector<ResponseFilter>& out) {
  const bool graphic = words.count == GEQ_BAND_COUNT;
  for (int band = 0; band < words.count; ++band) {
    ResponseFilter f;
    f.band = band;
    f.code = valueOf(table, words.type, channel, band);
    const int tenths = std::clamp(valueOf(table, words.gain, channel, band) - EQ_GAIN_ZERO,
                                  -EQ_GAIN_LIMIT, EQ_GAIN_LIMIT);
    if (f.code == BAND_TYPE_OFF || tenths == 0) {
      continue;
    }
    f.gainDb = tenths / 10.0;
    f.frequency = std::clamp(decodeFrequency(valueOf(table, words.freq, channel, band)),
                             BAND_FREQ_MIN, BAND_FREQ_MAX);
    const QValue q = decodeQ(valueOf(table, words.q, channel, band));
    f.slope12 = q.slope12;
    f.q = graphic ? GEQ_Q : graphQ(q.q);
    out.push_back(std::move(f));
  }
}

} // namespace

double filterLevel(const ResponseFilter& filter, double frequency) {
  const SectionSet set = sectionsOf(filter);
  const double w = angularFrequency(frequency);
  double level = 0.0;
  for (int s = 0; s < set.count; ++s) {
    level += sectionLevelAt(set.sections[s], w);
  }
  return level;
}

ResponseStatus computeChannelResponse(const ParameterTable& table, int channel, ResponseView view,
                                      std::span<const double> frequencies, ChannelResponse& out) {
  out = {};
  if (!isValidChannel(channel)) {
    return ResponseStatus::NoSuchChannel;
  }
  if (view == ResponseView::GraphicEq && !isInput(channel)) {
    return ResponseStatus::NoGraphicEq;
  }
  if (view == ResponseView::GraphicEq) {
    if (!decodeFlag(valueOf(table, ChannelFunction::GeqBypass, channel))) {
      addBands(table, channel, GEQ_WORDS, out.filters);
    }
  } else {
    if (isOutput(channel)) {
      addCrossover(table, channel, false, out.filters);
      addCrossover(table, channel, true, out.filters);
    }
    if (!decodeFlag(valueOf(table, ChannelFunction::PeqBypass, channel))) {
      addBands(table, channel, PEQ_WORDS, out.filters);
    }
  }
  out.total.assign(frequencies.size(), 0.0);
  for (ResponseFilter& f : out.filters) {
    const SectionSet set = sectionsOf(f);
    f.levels.resize(frequencies.size());
    for (size_t i = 0; i < frequencies.size(); ++i) {
      const double w = angularFrequency(frequencies[i]);
      double level = 0.0;
      for (int s = 0; s < set.count; ++s) {
        level += sectionLevelAt(set.sections[s], w);
      }
      f.levels[i] = level;
      out.total[i] += level;
    }
  }
  return ResponseStatus::Ok;
}

} // namespace kv816
