#include "edit/param_values.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <span>

#include "dsp/number_format.h"
#include "model/channel_layout.h"
#include "model/compressor_lists.h"
#include "model/crossover.h"
#include "model/encodings.h"
#include "model/link_groups.h"

namespace kv816 {

namespace {
constexpr std::array<std::string_view, CROSSOVER_TYPE_COUNT> CROSSOVER_NAMES = {
    "bessel12", "bessel18", "bessel24", "butter12", "butter18",
    "butter24", "lr12",     "lr24",     "lr36",     "lr48"};
// The crossover frequencies the channel page writes when a filter is switched off. Any
// other word outside 20 Hz..20 kHz is off too and reads "OFF:<frequency>", so that it
// prints and parses back to itself (the factory words are 10.0 Hz and 20600 Hz).
constexpr int HPF_OFF_HZ = 19;
constexpr int LPF_OFF_HZ = 20001;
constexpr double BAND_LOW_HZ = 20;
constexpr double BAND_HIGH_HZ = 20000;
constexpr double FREQUENCY_WORD_MAX_HZ = 0x7FFF;

std::string lower(std::string_view text) {
  std::string out;
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c)))
      out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// A decimal number followed by nothing but one of `units` (or no unit).
std::optional<double> numberWithUnit(std::string_view text,
                                     std::initializer_list<std::string_view> units) {
  if (text.starts_with("+"))
    text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (ec != std::errc() || !std::isfinite(value))
    return std::nullopt;
  const std::string_view unit(end, static_cast<size_t>(text.data() + text.size() - end));
  if (unit.empty() || std::find(units.begin(), units.end(), unit) != units.end())
    return value;
  return std::nullopt;
}

ParsedValue fail(std::string why) {
  return {std::nullopt, std::move(why)};
}
ParsedValue ok(int raw) {
  return {raw, {}};
}

ParsedValue inRange(std::optional<double> v, double low, double high, int (*encode)(double),
                    const char* what) {
  if (!v)
    return fail(std::string("expected ") + what);
  if (*v < low - 1e-9 || *v > high + 1e-9)
    return fail("outside " + formatNumber("%0.1f", low) + ".." + formatNumber("%0.1f", high));
  return ok(encode(*v));
}

std::optional<double> hertz(std::string_view t) {
  if (std::optional<double> k = numberWithUnit(t, {"k", "khz"}))
    if (t.find('k') != std::string_view::npos)
      return *k * 1000.0;
  return numberWithUnit(t, {"hz"});
}

ParsedValue parseFrequency(std::string_view t) {
  return inRange(hertz(t), BAND_LOW_HZ, BAND_HIGH_HZ, encodeFrequency,
                 "a frequency such as 1k or 57.3Hz");
}

// "off" is the channel page's off position; "off:F" an exact frequency below (high-pass)
// or above (low-pass) the audio band.
ParsedValue parseCrossoverFrequency(std::string_view t, bool highPass) {
  if (t == "off")
    return ok(encodeFrequency(highPass ? HPF_OFF_HZ : LPF_OFF_HZ));
  if (!t.starts_with("off:"))
    return parseFrequency(t);
  const std::optional<double> hz = hertz(t.substr(4));
  const bool offBand = hz && (highPass ? *hz >= 0.1 - 1e-9 && *hz < BAND_LOW_HZ
                                       : *hz > BAND_HIGH_HZ && *hz <= FREQUENCY_WORD_MAX_HZ);
  if (!offBand)
    return fail(highPass ? "expected OFF:F with F below 20Hz" : "expected OFF:F with F above 20k");
  return ok(encodeFrequency(*hz));
}

ParsedValue parseQ(std::string_view t) {
  bool slope12 = false;
  if (const size_t slash = t.find('/'); slash != std::string_view::npos) {
    const std::string_view slope = t.substr(slash + 1);
    if (slope != "12db" && slope != "6db")
      return fail("expected a slope of /6dB or /12dB");
    slope12 = slope == "12db";
    t = t.substr(0, slash);
  }
  const std::optional<double> q = numberWithUnit(t, {});
  if (!q || *q < 0.4 - 1e-9 || *q > 128 + 1e-9)
    return fail("expected a Q from 0.4 to 128");
  return ok(encodeQ(*q, slope12));
}

ParsedValue parseFlag(std::string_view t) {
  if (t == "on" || t == "1" || t == "yes" || t == "true")
    return ok(1);
  if (t == "off" || t == "0" || t == "no" || t == "false")
    return ok(0);
  return fail("expected on or off");
}

std::string listText(std::span<const int> list, double scale, const char* format) {
  std::string text;
  for (int raw : list)
    text += (text.empty() ? "" : ", ") + formatNumber(format, raw / scale);
  return text;
}

// The compressor controls offer only their lists; any other word is refused with them.
ParsedValue fromList(std::optional<double> v, std::span<const int> list, double scale,
                     const char* format, const char* what) {
  for (int raw : list)
    if (v && std::fabs(*v * scale - raw) < 1e-6)
      return ok(raw);
  return fail(std::string("expected ") + what + " of " + listText(list, scale, format));
}

ParsedValue parseRelease(std::string_view t) {
  return fromList(numberWithUnit(t.substr(t.starts_with("x") ? 1 : 0), {}), RELEASE_RAW_VALUES, 1,
                  "%0.0f", "a release multiple");
}

ParsedValue parseThreshold(std::string_view t) {
  const std::optional<double> dbu = numberWithUnit(t, {"dbu"});
  if (!dbu || *dbu != std::floor(*dbu) || *dbu < THRESHOLD_MIN_DBU || *dbu > THRESHOLD_MAX_DBU)
    return fail("expected a whole threshold from -20 to 14 dBu");
  return ok(encodeThreshold(static_cast<int>(*dbu)));
}

ParsedValue parseLink(std::string_view t, bool input) {
  const int count = input ? INPUT_COUNT : OUTPUT_COUNT;
  int group = -1;
  if (t.size() == 1 && input && t[0] >= 'a' && t[0] < 'a' + count)
    group = t[0] - 'a';
  else if (t.size() == 1 && t[0] >= '1' && t[0] < '1' + count)
    group = t[0] - '1';
  if (group < 0)
    return fail(input ? "expected a link group A to D" : "expected a link group 1 to 8");
  return ok(static_cast<int>(maskOfGroup(group)));
}

ParsedValue parseRouting(std::string_view t) {
  if (t == "none" || t == "-")
    return ok(0);
  if (t == "all")
    return ok(0xF);
  int mask = 0;
  for (char c : t) {
    if (c == '+' || c == ',')
      continue;
    if (c < 'a' || c > 'd')
      return fail("expected input letters such as ABD, all or none");
    mask |= 1 << (c - 'a');
  }
  return mask == 0 ? fail("expected input letters such as ABD, all or none") : ok(mask);
}

ParsedValue parseBandType(std::string_view t) {
  if (t == "bypass" || t == "off")
    return ok(BAND_TYPE_OFF);
  if (t == "peq" || t == "peaking")
    return ok(BAND_TYPE_PEAKING);
  if (t == "hs")
    return ok(BAND_TYPE_HIGH_SHELF);
  if (t == "ls")
    return ok(BAND_TYPE_LOW_SHELF);
  return fail("expected bypass, peq, hs or ls");
}

ParsedValue parseCrossover(std::string_view t, bool highPass) {
  for (size_t p = 0; p < CROSSOVER_NAMES.size(); ++p)
    if (t == CROSSOVER_NAMES[p])
      return ok(crossoverCode(static_cast<int>(p), highPass));
  return fail("expected bessel12/18/24, butter12/18/24 or lr12/24/36/48");
}

int encodeNoiseGate(double db) {
  return truncateRaw(std::fabs(db));
}

ParsedValue parseRaw(std::string_view t) {
  int raw = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), raw);
  if (ec != std::errc() || end != t.data() + t.size() || raw < 0 || raw > 0xFFFF)
    return fail("expected a raw value 0..65535");
  return ok(raw);
}

std::string number(const char* format, double value) {
  return formatNumber(format, value);
}
} // namespace

ParsedValue parseParamValue(ValueKind kind, std::string_view text) {
  const std::string t = lower(text);
  if (t.starts_with("raw:"))
    return parseRaw(std::string_view(t).substr(4));
  switch (kind) {
  case ValueKind::Raw:
    return parseRaw(t);
  case ValueKind::Flag:
    return parseFlag(t);
  case ValueKind::ChannelGain:
    return inRange(numberWithUnit(t, {"db"}), -36, 12, encodeChannelGain, "a gain in dB");
  case ValueKind::EqGain:
    return inRange(numberWithUnit(t, {"db"}), -15, 15, encodeEqGain, "a gain in dB");
  case ValueKind::Frequency:
    return parseFrequency(t);
  case ValueKind::HpfFrequency:
  case ValueKind::LpfFrequency:
    return parseCrossoverFrequency(t, kind == ValueKind::HpfFrequency);
  case ValueKind::Q:
    return parseQ(t);
  case ValueKind::Delay:
    return inRange(numberWithUnit(t, {"ms"}), 0, 500, encodeDelay, "a delay in ms");
  case ValueKind::Ratio:
    return fromList(numberWithUnit(t, {":1"}), RATIO_RAW_VALUES, 10, "%0.1f", "a ratio");
  case ValueKind::Attack:
    return fromList(numberWithUnit(t, {"ms"}), ATTACK_RAW_VALUES, 10, "%0.1f", "an attack in ms");
  case ValueKind::Release:
    return parseRelease(t);
  case ValueKind::Threshold:
    return parseThreshold(t);
  case ValueKind::NoiseGate:
    return inRange(numberWithUnit(t, {"db"}), -120, 120, encodeNoiseGate, "a gate threshold in dB");
  case ValueKind::InputLink:
  case ValueKind::OutputLink:
    return parseLink(t, kind == ValueKind::InputLink);
  case ValueKind::Routing:
    return parseRouting(t);
  case ValueKind::BandType:
    return parseBandType(t);
  case ValueKind::HighPassType:
  case ValueKind::LowPassType:
    return parseCrossover(t, kind == ValueKind::HighPassType);
  }
  return fail("unknown value");
}

namespace {
std::string formatFrequency(int raw) {
  const double hz = decodeFrequency(raw);
  return number(hz == std::floor(hz) ? "%0.0fHz" : "%0.1fHz", hz);
}

std::string formatCrossoverFrequency(int raw, bool highPass) {
  const double hz = decodeFrequency(raw);
  const int offWord = encodeFrequency(highPass ? HPF_OFF_HZ : LPF_OFF_HZ);
  const bool offBand = highPass ? hz < BAND_LOW_HZ : hz > BAND_HIGH_HZ;
  if (!offBand)
    return formatFrequency(raw);
  return raw == offWord ? "OFF" : "OFF:" + formatFrequency(raw);
}

std::string formatRouting(int raw) {
  std::string letters;
  for (int i = 0; i < INPUT_COUNT; ++i)
    if (raw & (1 << i))
      letters += static_cast<char>('A' + i);
  return letters.empty() ? "none" : letters;
}

std::string formatBandType(int raw) {
  switch (raw) {
  case BAND_TYPE_OFF:
    return "bypass";
  case BAND_TYPE_HIGH_SHELF:
    return "hs";
  case BAND_TYPE_LOW_SHELF:
    return "ls";
  default:
    return "peq";
  }
}
} // namespace

namespace {
std::string readableValue(ValueKind kind, int raw) {
  switch (kind) {
  case ValueKind::Raw:
    return std::to_string(raw);
  case ValueKind::Flag:
    return decodeFlag(raw) ? "on" : "off";
  case ValueKind::ChannelGain:
    return number("%0.1fdB", decodeChannelGain(raw));
  case ValueKind::EqGain:
    return number("%0.1fdB", decodeEqGain(raw));
  case ValueKind::Frequency:
    return formatFrequency(raw);
  case ValueKind::HpfFrequency:
  case ValueKind::LpfFrequency:
    return formatCrossoverFrequency(raw, kind == ValueKind::HpfFrequency);
  case ValueKind::Q: {
    const QValue q = decodeQ(raw);
    return number("%0.2f", q.q) + (q.slope12 ? "/12dB" : "");
  }
  case ValueKind::Delay:
    // Samples shown to a thousandth of a millisecond, so the text reads back to the same
    // sample.
    return number("%0.3fms", static_cast<double>(raw) / SAMPLES_PER_MS);
  case ValueKind::Ratio:
    return number("%0.1f:1", decodeRatio(raw));
  case ValueKind::Attack:
    return number("%0.1fms", decodeAttack(raw));
  case ValueKind::Release:
    return "x" + std::to_string(raw);
  case ValueKind::Threshold:
    return std::to_string(decodeThreshold(raw)) + "dBu";
  case ValueKind::NoiseGate:
    return "-" + std::to_string(raw) + "dB";
  case ValueKind::InputLink:
    return std::string(1, static_cast<char>('A' + groupOfMask(raw, INPUT_COUNT)));
  case ValueKind::OutputLink:
    return std::to_string(1 + groupOfMask(raw, OUTPUT_COUNT));
  case ValueKind::Routing:
    return formatRouting(raw);
  case ValueKind::BandType:
    return formatBandType(raw);
  case ValueKind::HighPassType:
  case ValueKind::LowPassType:
    return std::string(CROSSOVER_NAMES[static_cast<size_t>(crossoverPosition(raw))]);
  }
  return std::to_string(raw);
}
} // namespace

// A word no control of the program would produce (a flag of 2, a ratio off the list, a
// frequency in the other encoding) is printed raw, so every printed value reads back.
std::string formatParamValue(ValueKind kind, int raw) {
  std::string text = readableValue(kind, raw);
  if (parseParamValue(kind, text).raw != raw)
    text = "raw:" + std::to_string(raw);
  return text;
}

} // namespace kv816
