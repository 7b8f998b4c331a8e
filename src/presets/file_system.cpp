#include "presets/file_system.h"

namespace kv816 {

namespace fs = std::filesystem;

bool ensureFolder(const fs::path& folder) {
  // A trailing separator names the same folder; create_directories wants it gone.
  fs::path target = folder;
  if (!target.has_filename() && target.has_parent_path() && target != target.root_path()) {
    target = target.parent_path();
  }
  if (target.empty() || folderExists(target)) {
    return false;
  }
  std::error_code ec;
  fs::create_directories(target, ec);
  return !ec && folderExists(target);
}

} // namespace kv816
