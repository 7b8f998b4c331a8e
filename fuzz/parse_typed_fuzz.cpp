// Fuzzes the typed-value reader of the edit controls: any text with any of the scales the
// pages use (and scales with odd limits and divisors) gives a raw value inside the scale's
// limits, "OFF" keeps the current value, and the result can be shown again.
//
// Input layout: byte 0 picks the scale, bytes 1-4 bend its limits and divisor, the rest is
// the typed text.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "dsp/scale_config.h"
#include "dsp/value_scale.h"
#include "fuzz_check.h"

namespace {

using namespace kv816;

using fuzz::check;

const ScaleConfig* const SCALES[] = {
    &CHANNEL_GAIN_SCALE, &DELAY_MS_SCALE, &DELAY_M_SCALE,  &DELAY_IN_SCALE, &PEQ_FREQ_SCALE,
    &PEQ_Q_SCALE,        &PEQ_GAIN_SCALE, &HPF_FREQ_SCALE, &LPF_FREQ_SCALE, &THRESHOLD_SCALE,
    &ATTACK_SCALE,       &RELEASE_SCALE,  &RATIO_SCALE,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5)
    return 0;
  ScaleConfig config = *SCALES[data[0] % std::size(SCALES)];
  if (data[0] & 0x80) {
    // Bent limits (still ordered) and divisor, the code kept or replaced.
    config.min -= static_cast<int8_t>(data[1]) * 1000;
    config.max += data[2] * 1000;
    config.divisor = static_cast<int8_t>(data[3]);
    if (data[0] & 0x40)
      config.code = data[4] % 20;
    if (config.min > config.max)
      std::swap(config.min, config.max);
  }
  const std::string_view text(reinterpret_cast<const char*>(data + 5), size - 5);
  const int current = std::min(config.min + static_cast<int>(size % 7), config.max);

  const int raw = parseTyped(config, text, current);
  if (text == "OFF")
    check(raw == current);
  else
    check(raw >= config.min && raw <= config.max);

  // The value shows and reads back within the limits.
  const int again = parseTyped(config, formatValue(config, raw), current);
  check(again >= config.min && again <= config.max);
  (void)toUnits(config, raw);
  return 0;
}
