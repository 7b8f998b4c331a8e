#include "presets/trace_setting.h"

#include <filesystem>

namespace kv816 {

std::string traceFileFor(const Settings& settings, const std::string& program,
                         const std::string& commandLine, const std::string& logFolder) {
  if (!commandLine.empty())
    return commandLine;
  const int enabled = settings.readSetting(CONFIGURATION_FILE, key::TRACE_ENABLED);
  const std::optional<std::string> named = settings.readText(CONFIGURATION_FILE, key::TRACE_FILE);
  if (enabled == 0 || (enabled != 1 && !named))
    return {};
  std::filesystem::path file = named ? std::filesystem::path(*named) : "trace.txt";
  if (file.is_relative())
    file = std::filesystem::path(logFolder) / file;
  if (program != "kv816")
    file.replace_filename(file.stem().string() + "-" + program + file.extension().string());
  return file.string();
}

} // namespace kv816
