#include "link/transports/serial_port_list.h"

#include <algorithm>

namespace kv816 {

std::vector<std::string> mergePortLists(const std::vector<std::string>& preferred,
                                        const std::vector<std::string>& system) {
  std::vector<std::string> merged;
  for (const auto* list : {&preferred, &system})
    for (const std::string& name : *list)
      if (!name.empty() && std::find(merged.begin(), merged.end(), name) == merged.end())
        merged.push_back(name);
  return merged;
}

} // namespace kv816
