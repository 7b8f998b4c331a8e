#include "link/transports/serial_port_list.h"

#include <libserialport.h>

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

} // namespace kv816
