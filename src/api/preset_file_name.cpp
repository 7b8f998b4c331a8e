#include "api/preset_file_name.h"

#include <algorithm>
#include <system_error>

#include "presets/preset_file.h"

namespace kv816 {

namespace {
bool plainName(std::string_view name) {
  if (name.empty() || name.size() > PRESET_NAME_MAX || name == "." || name == "..")
    return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    return c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20;
  });
}
} // namespace

std::optional<std::filesystem::path> presetFilePath(const std::filesystem::path& folder,
                                                    std::string_view name) {
  if (!plainName(name))
    return std::nullopt;
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::weakly_canonical(folder, ec);
  if (ec)
    return std::nullopt;
  const std::filesystem::path path = base / std::filesystem::path(name);
  // A link inside the folder may still point elsewhere; the tasks add the extension.
  for (const std::filesystem::path& p :
       {path, std::filesystem::path(PresetFile::withExtension(path.string()))}) {
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(p, ec);
    if (ec || resolved.parent_path() != base)
      return std::nullopt;
  }
  return path;
}

} // namespace kv816
