#pragma once
// The remote API's settings in Configuration.ini: ApiEnabled (the desktop program's
// Remote -> API switch, off unless 1), ApiAddress (127.0.0.1), ApiPort (18160), OscEnabled
// (off unless 1) and OscPort (18161). Any thread.

#include <cstdint>
#include <string>

#include "presets/settings.h"

namespace kv816 {

namespace key {
inline constexpr std::string_view API_ENABLED = "ApiEnabled";
inline constexpr std::string_view API_ADDRESS = "ApiAddress";
inline constexpr std::string_view API_PORT = "ApiPort";
inline constexpr std::string_view OSC_ENABLED = "OscEnabled";
inline constexpr std::string_view OSC_PORT = "OscPort";
} // namespace key

struct ApiSettings {
  bool enabled = false;
  std::string address = "127.0.0.1";
  uint16_t port = 18160;
  bool oscEnabled = false;
  uint16_t oscPort = 18161;

  // Absent or unusable values keep the defaults above.
  static ApiSettings read(const Settings& settings);
  bool write(const Settings& settings) const;
};

} // namespace kv816
