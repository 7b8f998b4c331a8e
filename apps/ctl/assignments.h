#pragma once
// PARAM=VALUE arguments, read with the one name and value syntax: set on the device and
// jib set on a file take exactly the same texts and refuse the same ones.

#include <string>
#include <vector>

#include "edit/param_names.h"

namespace kv816 {

struct Assignment {
  ParamRef ref;
  int raw = 0;
};

// Reads every text; on the first unknown name or refused value prints why on stderr and
// returns false (`out` is then incomplete and must not be applied).
bool parseAssignments(const std::vector<std::string>& texts, std::vector<Assignment>& out);

} // namespace kv816
