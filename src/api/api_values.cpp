#include "api/api_values.h"

#include <cmath>
#include <cstdio>

namespace kv816 {

namespace {
// Shortest decimal text that reads back as the same double ("-3.5", "1000").
std::string numberText(double number) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", number);
  return text;
}

ParsedValue parseRawWord(const nlohmann::json& raw) {
  if (!raw.is_number_integer())
    return {std::nullopt, "\"raw\" takes a whole number"};
  return parseParamValue(ValueKind::Raw, std::to_string(raw.get<int64_t>()));
}
} // namespace

ParsedValue parseJsonValue(ValueKind kind, const nlohmann::json& value) {
  if (value.is_string())
    return parseParamValue(kind, value.get<std::string>());
  if (value.is_boolean())
    return parseParamValue(kind, value.get<bool>() ? "on" : "off");
  if (value.is_number()) {
    const double number = value.get<double>();
    if (!std::isfinite(number))
      return {std::nullopt, "not a finite number"};
    return parseParamValue(kind, numberText(number));
  }
  if (value.is_object() && value.size() == 1 && value.contains("raw"))
    return parseRawWord(value["raw"]);
  return {std::nullopt, "expected a string, a number, true/false or {\"raw\": N}"};
}

nlohmann::json describeValue(ValueKind kind, int raw) {
  return {{"raw", raw}, {"text", formatParamValue(kind, raw)}};
}

} // namespace kv816
