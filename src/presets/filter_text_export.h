#pragma once
// A channel's crossover, equaliser and gain as filter text for measurement and equaliser
// programs: Equalizer APO's configuration lines or REW's generic equaliser file.
//
// Device details the formats lack (the crossover family and slope, the shelf slope bit, a
// bypassed equaliser) travel in '#' comment lines in front of the filter they belong to;
// importFilterText reads them back, so an exported channel imports to the same words.
// Pure functions; any thread.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kv816 {

enum class FilterTextFormat { EqualizerApo, Rew };

// The text of `channel` (0..11) read from `values` (the table's words in index order, at
// least PARAM_COUNT of them). Empty for a bad channel or a short table.
std::string exportFilterText(std::span<const int32_t> values, int channel, FilterTextFormat format);

// "Butterworth 24 dB/oct" for a crossover list position (0..9); empty outside the list.
std::string_view crossoverTypeName(int position);

} // namespace kv816
