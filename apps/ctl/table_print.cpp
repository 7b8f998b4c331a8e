#include "ctl/table_print.h"

#include "edit/param_names.h"
#include "edit/param_values.h"

namespace kv816 {

void printTable(std::FILE* out, std::span<const int32_t> values) {
  for (size_t i = 0; i < values.size(); ++i) {
    const int index = static_cast<int>(i);
    const ParamRef ref = paramOfIndex(index);
    std::fprintf(out, "%4d  %-22s %s\n", index, paramName(index).c_str(),
                 formatParamValue(ref.kind, values[i] & 0xFFFF).c_str());
  }
}

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string tableJsonMembers(std::span<const int32_t> values) {
  std::string json = "\"values\":[";
  for (size_t i = 0; i < values.size(); ++i)
    json += (i ? "," : "") + std::to_string(values[i] & 0xFFFF);
  json += "],\"params\":{";
  bool first = true;
  for (size_t i = 0; i < values.size(); ++i) {
    const ParamRef ref = paramOfIndex(static_cast<int>(i));
    if (ref.kind == ValueKind::Raw)
      continue;
    json += (first ? "" : ",") + jsonString(paramName(static_cast<int>(i))) + ":" +
            jsonString(formatParamValue(ref.kind, values[i] & 0xFFFF));
    first = false;
  }
  return json + "}";
}

} // namespace kv816
