#pragma once
// The access token a client must present when the API listens beyond loopback: generated
// once (128 random bits as hex), kept in the file ApiToken in the settings folder with
// mode 0600 so only its owner can read it.
//
// Threads: any; two programs creating the token at once may each write one (last wins).

#include <filesystem>
#include <string>

#include "presets/settings_folders.h"

namespace kv816 {

inline constexpr const char* API_TOKEN_FILE = "ApiToken";

// The stored token, or a new one written to the preset folder (the fallback folder when
// that cannot be written). Empty, with `error` set, when neither can be read or written.
std::string loadOrCreateApiToken(const SettingsFolders& folders, std::string& error);

// The same in one folder; creates the folder.
std::string loadOrCreateApiToken(const std::filesystem::path& folder, std::string& error);

} // namespace kv816
