#pragma once
// Values in engineering units, for every text interface: "-3.5dB", "1k", "2.4ms", "on",
// "ABD", ..., or "raw:N" for the parameter word itself. formatParamValue's text is always
// accepted back by parseParamValue for the same kind and gives the same word. Pure
// functions; any thread.

#include <optional>
#include <string>
#include <string_view>

#include "edit/param_names.h"

namespace kv816 {

struct ParsedValue {
  std::optional<int> raw; // the parameter word, when the text was valid
  std::string error;      // why not, for the user
};

// Reads `text` as a value of `kind`. Units are optional and case-insensitive; numbers use
// a decimal point. Values the program's controls do not offer are refused: outside their
// range, or off the compressor's lists (the error then lists what is allowed).
ParsedValue parseParamValue(ValueKind kind, std::string_view text);

// The value in engineering units ("-3.5dB", "57.3Hz", "OFF", "OFF:10Hz", "on", "4.0:1"),
// or "raw:N" for a word no control produces.
std::string formatParamValue(ValueKind kind, int raw);

} // namespace kv816
