#include "presets/settings_folders.h"

#include <cstdlib>

namespace kv816 {

std::filesystem::path fallbackFolder() {
  return fallbackFolderFrom(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

} // namespace kv816
