#pragma once
// Reads filter text (Equalizer APO configuration lines or REW's generic equaliser file)
// into the words of one channel: PK onto the parametric bands in order, LS/LSC/LSQ and
// HS/HSC/HSQ onto the shelves, HP/LP onto an output's crossover, Preamp onto the channel
// gain. Values are rounded to the device's steps and clamped to its limits; every line
// that was rounded, clamped, assumed, unsupported or dropped gets a note with its number.
// Pure functions; any thread.

#include <string>
#include <string_view>
#include <vector>

#include "edit/edit_group.h"

namespace kv816 {

inline constexpr size_t FILTER_TEXT_MAX_BYTES = 10u << 20;

struct FilterTextNote {
  enum class Kind { Rounded, Clamped, Assumed, Unsupported, Dropped };
  int line = 0; // 1-based; 0 for a note about the whole channel
  Kind kind = Kind::Dropped;
  std::string text;
};

struct FilterTextImport {
  // Empty on success. Otherwise why nothing may change (more filters than bands, a bad
  // channel, text too large); edits is then empty.
  std::string error;
  // Every word of the channel the text decides, in table order: each parametric band
  // (bands after the last filter switched off), the equaliser bypass, the crossover filters
  // named in the text, and the gain when a Preamp line is present. For EditSession::apply
  // as one step, or for a preset file's values.
  std::vector<ParameterEdit> edits;
  std::vector<FilterTextNote> notes;
};

FilterTextImport importFilterText(std::string_view text, int channel);

// "rounded", "clamped", ... for messages.
std::string_view noteKindName(FilterTextNote::Kind kind);

} // namespace kv816
