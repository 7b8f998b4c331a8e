#include "ctl/assignments.h"

#include <cstdio>

#include "edit/param_values.h"

namespace kv816 {

bool parseAssignments(const std::vector<std::string>& texts, std::vector<Assignment>& out) {
  for (const std::string& text : texts) {
    const size_t eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const std::optional<ParamRef> ref = parseParamName(name);
    if (eq == std::string::npos || !ref) {
      std::fprintf(stderr, "kv816ctl: expected PARAM=VALUE with a known PARAM, got %s\n",
                   text.c_str());
      return false;
    }
    const ParsedValue value = parseParamValue(ref->kind, text.substr(eq + 1));
    if (!value.raw) {
      std::fprintf(stderr, "kv816ctl: %s: %s\n", name.c_str(), value.error.c_str());
      return false;
    }
    out.push_back({*ref, *value.raw});
  }
  return true;
}

} // namespace kv816
