#pragma once
// Where the settings files and relatively named preset files live.
//
//   program folder   the folder holding the executable
//   preset folder    program folder + "FileData/": Language.ini, Configuration.ini and
//                    presets saved under a relative name
//   fallback folder  used where the preset folder cannot be written:
//                    $XDG_CONFIG_HOME/kv816/, else ~/.config/kv816/ (%APPDATA%\kv816\ on
//                    Windows)
//
// The INI section is the executable's base name, so a renamed program keeps its own
// settings. Plain values; any thread.

#include <filesystem>
#include <string>

namespace kv816 {

// Environment variable that replaces the preset folder (tools, demos, end-to-end tests).
inline constexpr const char* CONFIG_DIR_ENV = "KV816_CONFIG_DIR";

struct SettingsFolders {
  std::filesystem::path presetFolder;
  std::filesystem::path fallbackFolder;
  std::string section;

  // The running program's folders: FileData beside the executable (or $KV816_CONFIG_DIR
  // when set and not empty), the per-user fallback, and the executable's base name as the
  // section unless `section` is given (kv816ctl passes "kv816" to share the GUI's settings).
  static SettingsFolders forThisProgram(const std::string& section = {});
};

// The folder holding the running executable; the current folder when it cannot be found.
std::filesystem::path programFolder();

// The running executable's base name (file name without extension); "kv816" when unknown.
std::string programBaseName();

// The per-user fallback folder from the environment (not created here).
std::filesystem::path fallbackFolder();

// The same rule with the two variables given: an absolute xdgConfigHome wins, then
// home/.config; with neither, "kv816" relative to the current folder.
std::filesystem::path fallbackFolderFrom(const char* xdgConfigHome, const char* home);

} // namespace kv816
