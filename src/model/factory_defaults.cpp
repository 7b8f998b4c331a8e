#include "model/factory_defaults.h"

#include <cstddef>

#include "model/channel_layout.h"
#include "model/crossover.h"
#include "model/encodings.h"
#include "model/link_groups.h"

namespace kv816 {

namespace {

using Table = std::array<int32_t, PARAM_COUNT>;

constexpr int DEVICE_ID_DEFAULT = 20012; // never passes the handshake by itself
constexpr std::array<int32_t, METER_WORD_COUNT> METER_DEFAULTS = {31, 0, 7967, 7967, 7967, 7967};

// Device-global words 1148..1174. 1162 and 1163 are device words whose role is unknown;
// 0 is our choice.
constexpr int IDX_DEVICE_GLOBALS_FIRST = 1148;
constexpr std::array<int32_t, PARAM_COUNT - IDX_DEVICE_GLOBALS_FIRST> DEVICE_GLOBAL_DEFAULTS = {
    360, 480, 360, 480, 360,  480, 360, 480,            // 1148..1155
    0,   1,   1,   1,   0,    0,                        // 1156..1161
    0,   0,                                             // 1162, 1163
    0,   1,   1,   1,   1000, 6,   1,   128, 3, 40, 0}; // 1164..1174

constexpr int NOISE_GATE_DEFAULT = 80; // -80 dB
constexpr int ROUTING_DEFAULT = 0x0F;  // every input feeds every output
constexpr int GEQ_Q_DEFAULT = 340;     // Q 3.40
constexpr int PEQ_Q_DEFAULT = 100;     // Q 1.00
constexpr int RATIO_DEFAULT = 10;      // 1.0
constexpr int ATTACK_DEFAULT = 10;     // 1.0 ms
constexpr int RELEASE_DEFAULT = 2;
constexpr int HPF_FREQ_DEFAULT = 32868; // 10.0 Hz
constexpr int LPF_FREQ_DEFAULT = 20600;
constexpr int BUTTERWORTH_24_POSITION = 5;

// The default of one function of a channel; `band` selects the band's frequency.
int32_t defaultOf(ChannelFunction function, int channel, int band) {
  using F = ChannelFunction;
  switch (function) {
  case F::Gain:
    return CHANNEL_GAIN_ZERO;
  case F::GeqType:
  case F::PeqType:
    return BAND_TYPE_PEAKING;
  case F::GeqFreq:
    return encodeFrequency(GEQ_DEFAULT_FREQUENCIES[static_cast<std::size_t>(band)]);
  case F::PeqFreq:
    return encodeFrequency(PEQ_DEFAULT_FREQUENCIES[static_cast<std::size_t>(band)]);
  case F::GeqGain:
  case F::PeqGain:
    return EQ_GAIN_ZERO;
  case F::GeqQ:
    return GEQ_Q_DEFAULT;
  case F::PeqQ:
    return PEQ_Q_DEFAULT;
  case F::Ratio:
    return RATIO_DEFAULT;
  case F::Attack:
    return ATTACK_DEFAULT;
  case F::Release:
    return RELEASE_DEFAULT;
  case F::Threshold:
    return encodeThreshold(0);
  case F::HpfType:
    return crossoverCode(BUTTERWORTH_24_POSITION, true);
  case F::HpfFreq:
    return HPF_FREQ_DEFAULT;
  case F::LpfType:
    return crossoverCode(BUTTERWORTH_24_POSITION, false);
  case F::LpfFreq:
    return LPF_FREQ_DEFAULT;
  case F::NoiseGate:
    return NOISE_GATE_DEFAULT;
  case F::LinkMask: // each channel alone in its own group
    return maskOfGroup(isInput(channel) ? channel : channel - INPUT_COUNT);
  case F::Routing:
    return ROUTING_DEFAULT;
  default: // Mute, Phase, Delay and the bypass flags
    return 0;
  }
}

void fillChannel(Table& table, int channel) {
  for (int f = 0; f < CHANNEL_FUNCTION_COUNT; ++f) {
    const auto function = static_cast<ChannelFunction>(f);
    for (int band = 0; band < bandCountOf(function); ++band) {
      const int index = indexOf(function, channel, band);
      if (index != IDX_NONE)
        table[static_cast<std::size_t>(index)] = defaultOf(function, channel, band);
    }
  }
}

Table buildDefaults() {
  Table table{};
  table[IDX_DEVICE_ID] = DEVICE_ID_DEFAULT;
  for (int i = 0; i < METER_WORD_COUNT; ++i)
    table[static_cast<std::size_t>(IDX_METER_FIRST + i)] =
        METER_DEFAULTS[static_cast<std::size_t>(i)];
  for (int channel = 0; channel < CHANNEL_COUNT; ++channel)
    fillChannel(table, channel);
  for (std::size_t i = 0; i < DEVICE_GLOBAL_DEFAULTS.size(); ++i)
    table[IDX_DEVICE_GLOBALS_FIRST + i] = DEVICE_GLOBAL_DEFAULTS[i];
  return table;
}

} // namespace

const std::array<int32_t, PARAM_COUNT>& factoryDefaults() {
  static const Table table = buildDefaults();
  return table;
}

} // namespace kv816
