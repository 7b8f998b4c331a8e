#pragma once
// Remote clients name preset files by a plain name that stays inside the preset folder.
// Pure function (it looks at the file system only to resolve links); any thread.

#include <filesystem>
#include <optional>
#include <string_view>

namespace kv816 {

inline constexpr size_t PRESET_NAME_MAX = 128;

// folder/name when `name` is a plain file name (no folder separators, not "." or "..",
// no control characters, at most PRESET_NAME_MAX bytes) whose resolved path, links
// followed, is still directly inside `folder`; nothing otherwise.
std::optional<std::filesystem::path> presetFilePath(const std::filesystem::path& folder,
                                                    std::string_view name);

} // namespace kv816
