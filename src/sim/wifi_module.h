#pragma once
// The device's WiFi module: a small text protocol of Get and Set commands whose replies
// start with the command word ("Get_HotSSID:" -> "Get_HotSSID:MyHotspot").
//
// Not thread-safe: the SimulatedDevice calls it under its own lock.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv816 {

struct ModuleSettings {
  int mode = 1; // 1 hotspot, 2 router
  std::string hotSsid = "KV816-AP";
  std::string hotPassword = "12345678";
  std::string routeSsid = "";
  std::string routePassword = "";
  uint32_t address = 0x7F000001; // the module's own IPv4 address, most significant byte first
  uint32_t linkAddress = 0;      // the computer linked over TCP, 0 when none
  int tcpPort = 1010;
  int udpPort = 1010;
};

class WifiModule {
public:
  // Longest reply text; keeps a module reply inside one short frame.
  static constexpr size_t MAX_REPLY = 240;
  // Longest name or password the module keeps.
  static constexpr size_t MAX_FIELD = 32;

  // Handles one command text (a trailing zero byte, as UDP datagrams carry, is ignored).
  // Returns the reply text, or nothing for a text the module does not know.
  std::optional<std::string> handle(std::string_view text);

  const ModuleSettings& settings() const { return settings_; }
  ModuleSettings& settings() { return settings_; }

private:
  std::optional<std::string> handleGet(std::string_view word);
  std::optional<std::string> handleSet(std::string_view word, std::string_view value);

  ModuleSettings settings_;
};

} // namespace kv816
