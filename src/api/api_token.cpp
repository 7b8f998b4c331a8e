#include "api/api_token.h"

#include <array>
#include <fstream>
#include <random>

namespace kv816 {

namespace fs = std::filesystem;

namespace {
constexpr size_t TOKEN_HEX_DIGITS = 32;
constexpr auto OWNER_ONLY = fs::perms::owner_read | fs::perms::owner_write;

std::string newToken() {
  std::random_device random;
  std::string token;
  constexpr char HEX[] = "0123456789abcdef";
  while (token.size() < TOKEN_HEX_DIGITS) {
    const unsigned word = random();
    for (int shift = 0; shift < 32 && token.size() < TOKEN_HEX_DIGITS; shift += 4)
      token += HEX[(word >> shift) & 0xF];
  }
  return token;
}

bool validToken(const std::string& token) {
  return token.size() == TOKEN_HEX_DIGITS &&
         token.find_first_not_of("0123456789abcdef") == std::string::npos;
}
} // namespace

std::string loadOrCreateApiToken(const fs::path& folder, std::string& error) {
  std::error_code ec;
  const fs::path path = folder / API_TOKEN_FILE;
  std::string token;
  if (std::ifstream in(path); in && std::getline(in, token) && validToken(token)) {
    fs::permissions(path, OWNER_ONLY, fs::perm_options::replace, ec);
    return token;
  }
  fs::create_directories(folder, ec);
  token = newToken();
  {
    // Restricted before the token is written, so it is never readable by others.
    std::ofstream create(path, std::ios::trunc);
    if (!create) {
      error = "cannot write " + path.string();
      return {};
    }
  }
  fs::permissions(path, OWNER_ONLY, fs::perm_options::replace, ec);
  std::ofstream out(path, std::ios::trunc);
  out << token << '\n';
  if (ec || !out.flush()) {
    error = "cannot write " + path.string();
    return {};
  }
  return token;
}

std::string loadOrCreateApiToken(const SettingsFolders& folders, std::string& error) {
  std::string ignored;
  if (std::string token = loadOrCreateApiToken(folders.presetFolder, ignored); !token.empty())
    return token;
  return loadOrCreateApiToken(folders.fallbackFolder, error);
}

} // namespace kv816
