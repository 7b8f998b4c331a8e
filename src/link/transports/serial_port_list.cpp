#include "link/transports/serial_port_list.h"

#include <libserialport.h>

#include <algorithm>

namespace kv816 {

std::vector<std::string> systemSerialPorts() {
  std::vector<std::string> names;
  sp_port** ports = nullptr;
  if (sp_list_ports(&ports) != SP_OK)
    return names;
  for (sp_port** p = ports; p && *p; ++p)
    if (const char* name = sp_get_port_name(*p))
      names.emplace_back(name);
  sp_free_port_list(ports);
  return names;
}

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
