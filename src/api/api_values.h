#pragma once
// Parameter values as JSON: a string in engineering units ("-3dB", "raw:470"), a number
// in the kind's own unit (-3.5 for dB, 1000 for Hz), true/false for switches, or
// {"raw": N} for the parameter word. Pure functions; any thread.

#include <nlohmann/json.hpp>

#include "edit/param_names.h"
#include "edit/param_values.h"

namespace kv816 {

// Reads `value` as a value of `kind`; the error says why not.
ParsedValue parseJsonValue(ValueKind kind, const nlohmann::json& value);

// {"raw": 470, "text": "-3.0dB"}
nlohmann::json describeValue(ValueKind kind, int raw);

} // namespace kv816
