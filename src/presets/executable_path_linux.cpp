#include "presets/file_system.h"

#include <climits>
#include <string>
#include <unistd.h>

namespace kv816 {

std::filesystem::path executablePath() {
  char buffer[PATH_MAX + 1];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) {
    return {};
  }
  return std::filesystem::path(std::string(buffer, static_cast<size_t>(n)));
}

} // namespace kv816
