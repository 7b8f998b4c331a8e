#include "edit/param_names.h"

#include <array>
#include <cctype>
#include <charconv>
#include <vector>

#include "model/channel_layout.h"
#include "model/parameter_table.h"

namespace kv816 {

namespace {
using F = ChannelFunction;

struct FunctionName {
  std::string_view name;
  F function;
};

// Per-channel functions; the band and filter fields are handled separately.
constexpr std::array<FunctionName, 17> CHANNEL_FUNCTIONS = {{
    {"mute", F::Mute},
    {"phase", F::Phase},
    {"gain", F::Gain},
    {"delay", F::Delay},
    {"geqbypass", F::GeqBypass},
    {"peqbypass", F::PeqBypass},
    {"noisegate", F::NoiseGate},
    {"link", F::LinkMask},
    {"routing", F::Routing},
    {"comp.ratio", F::Ratio},
    {"comp.attack", F::Attack},
    {"comp.release", F::Release},
    {"comp.threshold", F::Threshold},
    {"hpf.type", F::HpfType},
    {"hpf.freq", F::HpfFreq},
    {"lpf.type", F::LpfType},
    {"lpf.freq", F::LpfFreq},
}};

constexpr std::array<std::string_view, 4> BAND_FIELDS = {"type", "freq", "gain", "q"};

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::optional<int> number(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty())
    return std::nullopt;
  return value;
}

// "in1".."in4", "ina".."ind", "out1".."out8" (lower case) to 0..11; -1 otherwise.
int parseChannel(std::string_view text) {
  if (text.size() == 3 && text.substr(0, 2) == "in") {
    const char c = text[2];
    if (c >= '1' && c <= '4')
      return c - '1';
    if (c >= 'a' && c <= 'd')
      return c - 'a';
  }
  if (text.size() == 4 && text.substr(0, 3) == "out" && text[3] >= '1' && text[3] <= '8')
    return INPUT_COUNT + (text[3] - '1');
  return -1;
}

ValueKind kindOf(F function, int channel) {
  switch (function) {
  case F::Mute:
  case F::Phase:
  case F::GeqBypass:
  case F::PeqBypass:
    return ValueKind::Flag;
  case F::Gain:
    return ValueKind::ChannelGain;
  case F::Delay:
    return ValueKind::Delay;
  case F::GeqType:
  case F::PeqType:
    return ValueKind::BandType;
  case F::GeqFreq:
  case F::PeqFreq:
    return ValueKind::Frequency;
  case F::GeqGain:
  case F::PeqGain:
    return ValueKind::EqGain;
  case F::GeqQ:
  case F::PeqQ:
    return ValueKind::Q;
  case F::Ratio:
    return ValueKind::Ratio;
  case F::Attack:
    return ValueKind::Attack;
  case F::Release:
    return ValueKind::Release;
  case F::Threshold:
    return ValueKind::Threshold;
  case F::HpfType:
    return ValueKind::HighPassType;
  case F::LpfType:
    return ValueKind::LowPassType;
  case F::HpfFreq:
    return ValueKind::HpfFrequency;
  case F::LpfFreq:
    return ValueKind::LpfFrequency;
  case F::NoiseGate:
    return ValueKind::NoiseGate;
  case F::LinkMask:
    return isInput(channel) ? ValueKind::InputLink : ValueKind::OutputLink;
  case F::Routing:
    return ValueKind::Routing;
  }
  return ValueKind::Raw;
}

std::optional<ParamRef> channelParam(F function, int channel, int band) {
  const int index = indexOf(function, channel, band);
  if (index == IDX_NONE)
    return std::nullopt;
  return ParamRef{index, kindOf(function, channel)};
}

// "peq3.gain" / "geq12.q" after the channel.
std::optional<ParamRef> bandParam(std::string_view rest, int channel) {
  const bool graphic = rest.substr(0, 3) == "geq";
  if (!graphic && rest.substr(0, 3) != "peq")
    return std::nullopt;
  const size_t dot = rest.find('.');
  if (dot == std::string_view::npos)
    return std::nullopt;
  const std::optional<int> band = number(rest.substr(3, dot - 3));
  const int bands = graphic ? GEQ_BAND_COUNT : PEQ_BAND_COUNT;
  if (!band || *band < 1 || *band > bands)
    return std::nullopt;
  const std::string_view field = rest.substr(dot + 1);
  for (size_t f = 0; f < BAND_FIELDS.size(); ++f) {
    if (field != BAND_FIELDS[f])
      continue;
    const F first = graphic ? F::GeqType : F::PeqType;
    return channelParam(static_cast<F>(static_cast<int>(first) + static_cast<int>(f)), channel,
                        *band - 1);
  }
  return std::nullopt;
}

std::string_view functionName(F function) {
  for (const FunctionName& f : CHANNEL_FUNCTIONS)
    if (f.function == function)
      return f.name;
  return {};
}
} // namespace

std::string channelName(int channel) {
  if (isInput(channel))
    return "in" + std::to_string(channel + 1);
  return "out" + std::to_string(channel - INPUT_COUNT + 1);
}

std::optional<ParamRef> parseParamName(std::string_view name) {
  const std::string text = lower(name);
  std::string_view view = text;
  for (std::string_view prefix : {"idx", "#"}) {
    if (view.substr(0, prefix.size()) == prefix) {
      const std::optional<int> index = number(view.substr(prefix.size()));
      if (index && ParameterTable::isValidIndex(*index))
        return ParamRef{*index, ValueKind::Raw};
      return std::nullopt;
    }
  }
  const size_t dot = view.find('.');
  if (dot == std::string_view::npos)
    return std::nullopt;
  const int channel = parseChannel(view.substr(0, dot));
  if (channel < 0)
    return std::nullopt;
  const std::string_view rest = view.substr(dot + 1);
  for (const FunctionName& f : CHANNEL_FUNCTIONS)
    if (rest == f.name)
      return channelParam(f.function, channel, 0);
  return bandParam(rest, channel);
}

ParamRef paramOfIndex(int index) {
  const IndexLocation at = locateIndex(index);
  if (at.isGlobal())
    return {index, ValueKind::Raw};
  return {index, kindOf(at.function, at.channel)};
}

std::string paramName(int index) {
  const IndexLocation at = locateIndex(index);
  if (at.isGlobal())
    return "idx" + std::to_string(index);
  const std::string channel = channelName(at.channel) + ".";
  if (isGraphicBandFunction(at.function) || isParametricBandFunction(at.function)) {
    const bool graphic = isGraphicBandFunction(at.function);
    const F first = graphic ? F::GeqType : F::PeqType;
    const int field = static_cast<int>(at.function) - static_cast<int>(first);
    return channel + (graphic ? "geq" : "peq") + std::to_string(at.band + 1) + "." +
           std::string(BAND_FIELDS[static_cast<size_t>(field)]);
  }
  return channel + std::string(functionName(at.function));
}

} // namespace kv816
