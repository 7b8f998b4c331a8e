#include "presets/settings_folders.h"

#include "presets/file_system.h"

#include <cstdlib>

namespace kv816 {
namespace {

namespace fs = std::filesystem;

constexpr const char* APP_FOLDER = "kv816";
constexpr const char* PRESET_FOLDER = "FileData";

bool isSet(const char* value) {
  return value != nullptr && *value != '\0';
}

} // namespace

fs::path programFolder() {
  const fs::path exe = executablePath();
  if (exe.empty() || !exe.has_parent_path()) {
    return fs::path(".");
  }
  return exe.parent_path();
}

std::string programBaseName() {
  const fs::path exe = executablePath();
  const std::string stem = exe.stem().string();
  return stem.empty() ? std::string(APP_FOLDER) : stem;
}

fs::path fallbackFolderFrom(const char* xdgConfigHome, const char* home) {
  // A relative XDG_CONFIG_HOME is invalid and is ignored.
  if (isSet(xdgConfigHome) && fs::path(xdgConfigHome).is_absolute()) {
    return fs::path(xdgConfigHome) / APP_FOLDER;
  }
  if (isSet(home)) {
    return fs::path(home) / ".config" / APP_FOLDER;
  }
  return fs::path(APP_FOLDER);
}

SettingsFolders SettingsFolders::forThisProgram(const std::string& section) {
  SettingsFolders folders;
  const char* overrideDir = std::getenv(CONFIG_DIR_ENV);
  folders.presetFolder =
      isSet(overrideDir) ? fs::path(overrideDir) : programFolder() / PRESET_FOLDER;
  folders.fallbackFolder = kv816::fallbackFolder();
  folders.section = section.empty() ? programBaseName() : section;
  return folders;
}

} // namespace kv816
