#include "presets/settings_folders.h"

#include <cstdlib>

namespace kv816 {

// The user's roaming application data (%APPDATA%\kv816), which follows the user from one
// Windows computer to the next; the local one where no roaming folder is set.
std::filesystem::path fallbackFolder() {
  for (const wchar_t* variable : {L"APPDATA", L"LOCALAPPDATA"})
    if (const wchar_t* folder = ::_wgetenv(variable); folder && *folder)
      return std::filesystem::path(folder) / "kv816";
  return std::filesystem::path("kv816");
}

} // namespace kv816
