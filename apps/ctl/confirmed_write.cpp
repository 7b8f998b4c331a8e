#include "ctl/confirmed_write.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "ctl/exit_codes.h"
#include "edit/param_names.h"
#include "edit/param_values.h"

namespace kv816 {

namespace {
using namespace std::chrono_literals;
}

int writeConfirmed(DeviceConnection& device, const std::vector<ParameterEdit>& edits,
                   bool printEach) {
  ParameterTable& table = device.table();
  std::vector<int> indexes;
  for (const ParameterEdit& e : edits) {
    table.setParameter(e.index, e.value);
    indexes.push_back(e.index);
  }
  device.worker().wake();
  const auto deadline = std::chrono::steady_clock::now() + device.timeout();
  auto pending = [&] {
    for (const ParameterEdit& e : edits)
      if (table.mustSend(e.index))
        return true;
    return false;
  };
  while (pending() && std::chrono::steady_clock::now() < deadline && device.linkUp())
    std::this_thread::sleep_for(10ms);
  if (pending() || !device.readEntries(indexes, device.timeout())) {
    std::fprintf(stderr, "kv816ctl: the device did not confirm the new values in time\n");
    return EXIT_LINK;
  }
  int result = EXIT_OK;
  for (const ParameterEdit& e : edits) {
    const ValueKind kind = paramOfIndex(e.index).kind;
    const int now = table.wireValue(e.index);
    if (printEach)
      std::printf("%s = %s\n", paramName(e.index).c_str(), formatParamValue(kind, now).c_str());
    if (now != (e.value & 0xFFFF)) {
      std::fprintf(stderr, "kv816ctl: the device kept %s for %s\n",
                   formatParamValue(kind, now).c_str(), paramName(e.index).c_str());
      result = EXIT_LINK;
    }
  }
  return result;
}

} // namespace kv816
