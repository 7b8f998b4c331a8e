#include "api/api_settings.h"

namespace kv816 {

namespace {
uint16_t portOr(int value, uint16_t fallback) {
  return value >= 1 && value <= 65535 ? static_cast<uint16_t>(value) : fallback;
}
} // namespace

ApiSettings ApiSettings::read(const Settings& s) {
  ApiSettings a;
  a.enabled = s.readSetting(CONFIGURATION_FILE, key::API_ENABLED) == 1;
  a.address = s.readText(CONFIGURATION_FILE, key::API_ADDRESS).value_or(a.address);
  a.port = portOr(s.readSetting(CONFIGURATION_FILE, key::API_PORT), a.port);
  a.oscEnabled = s.readSetting(CONFIGURATION_FILE, key::OSC_ENABLED) == 1;
  a.oscPort = portOr(s.readSetting(CONFIGURATION_FILE, key::OSC_PORT), a.oscPort);
  return a;
}

bool ApiSettings::write(const Settings& s) const {
  return s.writeSetting(CONFIGURATION_FILE, key::API_ENABLED, enabled ? 1 : 0) &&
         s.writeText(CONFIGURATION_FILE, key::API_ADDRESS, address) &&
         s.writeSetting(CONFIGURATION_FILE, key::API_PORT, port) &&
         s.writeSetting(CONFIGURATION_FILE, key::OSC_ENABLED, oscEnabled ? 1 : 0) &&
         s.writeSetting(CONFIGURATION_FILE, key::OSC_PORT, oscPort);
}

} // namespace kv816
