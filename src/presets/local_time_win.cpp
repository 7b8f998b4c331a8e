#include "presets/preset_codec.h"

#include <ctime>

namespace kv816 {

PresetTime localTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_s(&local, &now) != 0) {
    return {};
  }
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

} // namespace kv816
