#pragma once
// Conversions between a control's raw integer, its engineering value and its text.
// Pure functions of the ScaleConfig; callable from any thread. Codes the system does not
// use behave as SCALE_PLAIN. A raw value outside a table reads the nearest entry.

#include <optional>
#include <string>
#include <string_view>

#include "dsp/scale_config.h"

namespace kv816 {

// The text a control shows for `raw` (e.g. "-3.5dB", "OFF", "0.40", "2.9ms").
std::string formatValue(const ScaleConfig& config, int raw);

// The engineering value a page reads back: Hz, dB, Q, dBu, a table value, and for all
// three delay codes milliseconds.
double toUnits(const ScaleConfig& config, int raw);

// The raw value for engineering value `x`, clamped into [min, max]. `text` is what the
// user typed, empty when a page sets a number; it matters only to the metre and inch
// delay codes, where typed text is in metres or inches and a page's number in ms.
int fromUnits(const ScaleConfig& config, double x, std::string_view text = {});

// The raw value for text typed into an edit, or nothing when the text cannot be read (the
// edit then keeps its value). "OFF" in any case keeps `current`. A number may carry "k" for
// thousands ("1.2k", "1k2") and a unit that belongs to the scale: Hz or kHz, dB, dBu, ms;
// the delay scales take ms, s, m, cm, in and ft whichever unit they show.
std::optional<int> parseTyped(const ScaleConfig& config, std::string_view text, int current);

} // namespace kv816
