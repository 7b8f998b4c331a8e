#pragma once
// A new, empty folder under the system's temporary folder with a name no other test run
// holds: create_directory refuses a name that exists, so a clash only means another try.

#include <filesystem>
#include <random>
#include <string>

namespace kv816::test {

// Returns the created folder, or an empty path when none could be made.
inline std::filesystem::path makeUniqueFolder(const std::string& prefix) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  for (int attempt = 0; !ec && attempt < 100; ++attempt) {
    const std::filesystem::path folder = base / (prefix + std::to_string(random() % 1000000000));
    if (std::filesystem::create_directory(folder, ec))
      return folder;
  }
  return {};
}

} // namespace kv816::test
