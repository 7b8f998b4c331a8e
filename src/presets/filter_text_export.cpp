#include "presets/filter_text_export.h"

#include <array>
#include <cstdio>

#include "model/channel_layout.h"
#include "model/crossover.h"
#include "model/encodings.h"
#include "model/parameter_table.h"

namespace kv816 {
namespace {

// In crossover list order.
constexpr std::array<std::string_view, CROSSOVER_TYPE_COUNT> CROSSOVER_NAMES = {
    "Bessel 12 dB/oct",         "Bessel 18 dB/oct",         "Bessel 24 dB/oct",
    "Butterworth 12 dB/oct",    "Butterworth 18 dB/oct",    "Butterworth 24 dB/oct",
    "Linkwitz-Riley 12 dB/oct", "Linkwitz-Riley 24 dB/oct", "Linkwitz-Riley 36 dB/oct",
    "Linkwitz-Riley 48 dB/oct"};

std::string printed(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The word's own resolution: tenths where the word holds tenths, whole hertz otherwise.
std::string frequencyText(int32_t word) {
  const double hz = decodeFrequency(word);
  return printed((word & 0xFFFF) >= FREQ_TENTHS_FLAG ? "%.1f" : "%.0f", hz);
}

class Writer {
public:
  Writer(std::span<const int32_t> values, int channel, FilterTextFormat format)
      : values_(values), channel_(channel), rew_(format == FilterTextFormat::Rew) {}

  std::string write() {
    header();
    if (isOutput(channel_)) {
      crossover(false);
      crossover(true);
    }
    if (decodeFlag(word(ChannelFunction::PeqBypass))) {
      comment("equaliser: bypassed");
    }
    for (int band = 0; band < PEQ_BAND_COUNT; ++band) {
      eqBand(band);
    }
    return text_;
  }

private:
  int32_t word(ChannelFunction function, int band = 0) const {
    return values_[static_cast<size_t>(indexOf(function, channel_, band))];
  }

  void comment(const std::string& line) {
    if (!rew_) {
      text_ += "# " + line + '\n';
    }
  }

  void header() {
    const std::string name = channelLabel();
    if (rew_) {
      text_ += "Filter Settings file\n\nNotes: KV816 Control, " + name + "\n\nEqualiser: Generic\n";
    } else {
      text_ += "# KV816 Control, " + name + '\n';
    }
    text_ += "Preamp: " + printed("%.1f", decodeChannelGain(word(ChannelFunction::Gain))) + " dB\n";
  }

  std::string channelLabel() const {
    return isInput(channel_) ? "input " + std::string(1, static_cast<char>('A' + channel_))
                             : "output " + std::to_string(channel_ - INPUT_COUNT + 1);
  }

  void filterLine(bool on, std::string_view type, const std::string& rest) {
    ++number_;
    char head[40];
    if (rew_) {
      std::snprintf(head, sizeof head, "Filter %2d: %-3s %-4s", number_, on ? "ON" : "OFF",
                    std::string(type).c_str());
    } else {
      std::snprintf(head, sizeof head, "Filter %d: %s %s", number_, on ? "ON" : "OFF",
                    std::string(type).c_str());
    }
    text_ += head;
    text_ += ' ' + rest + '\n';
  }

  // A filter at the off position is written OFF with its frequency, so that the exact
  // word comes back.
  void crossover(bool low) {
    const int32_t code = word(low ? ChannelFunction::LpfType : ChannelFunction::HpfType);
    const int32_t freq = word(low ? ChannelFunction::LpfFreq : ChannelFunction::HpfFreq);
    const double hz = decodeFrequency(freq);
    const bool off = low ? hz < 19.7 || hz >= 20001.0 : hz < 19.7 || hz > 20000.0;
    comment(std::string(low ? "low-pass: " : "high-pass: ") +
            std::string(crossoverTypeName(crossoverPosition(code))));
    filterLine(!off, low ? "LP" : "HP", "Fc " + frequencyText(freq) + " Hz");
  }

  void eqBand(int band) {
    const int32_t type = word(ChannelFunction::PeqType, band);
    const QValue q = decodeQ(word(ChannelFunction::PeqQ, band));
    const bool shelf = type == BAND_TYPE_LOW_SHELF || type == BAND_TYPE_HIGH_SHELF;
    if (q.slope12 || shelf) {
      comment(q.slope12 ? "slope: 12dB" : "slope: 6dB");
    }
    const std::string_view name = type == BAND_TYPE_LOW_SHELF    ? (rew_ ? "LSQ" : "LSC")
                                  : type == BAND_TYPE_HIGH_SHELF ? (rew_ ? "HSQ" : "HSC")
                                                                 : "PK";
    const std::string rest = "Fc " + frequencyText(word(ChannelFunction::PeqFreq, band)) +
                             " Hz Gain " +
                             printed("%.1f", decodeEqGain(word(ChannelFunction::PeqGain, band))) +
                             " dB Q " + printed("%.2f", q.q);
    filterLine(type != BAND_TYPE_OFF, name, rest);
  }

  std::span<const int32_t> values_;
  int channel_;
  bool rew_;
  int number_ = 0;
  std::string text_;
};

} // namespace

std::string_view crossoverTypeName(int position) {
  if (position < 0 || position >= CROSSOVER_TYPE_COUNT) {
    return {};
  }
  return CROSSOVER_NAMES[static_cast<size_t>(position)];
}

std::string exportFilterText(std::span<const int32_t> values, int channel,
                             FilterTextFormat format) {
  if (!isValidChannel(channel) || values.size() < static_cast<size_t>(PARAM_COUNT)) {
    return {};
  }
  return Writer(values, channel, format).write();
}

} // namespace kv816
