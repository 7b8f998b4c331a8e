#include "presets/settings.h"

#include "presets/file_system.h"
#include "presets/ini_file.h"

#include <string>

namespace kv816 {
namespace {

namespace fs = std::filesystem;

// One settings file as found in both folders, with the preset folder's file first.
class TwoFiles {
public:
  TwoFiles(const fs::path& first, const fs::path& second, std::string_view section)
      : section_(section) {
    first_.load(first);
    second_.load(second);
  }
  // A missing or negative value in the first file falls through to the second.
  int number(std::string_view key) const {
    const auto first = first_.intValue(section_, key);
    if (first && *first >= 0) {
      return *first;
    }
    return second_.intValue(section_, key).value_or(-1);
  }
  // An empty text counts as absent.
  std::optional<std::string> text(std::string_view key) const {
    for (const IniFile* file : {&first_, &second_}) {
      auto value = file->value(section_, key);
      if (value && !value->empty()) {
        return value;
      }
    }
    return std::nullopt;
  }

private:
  std::string_view section_;
  IniFile first_;
  IniFile second_;
};

bool writeKey(const fs::path& file, std::string_view section, std::string_view key,
              std::string_view text) {
  IniFile ini;
  ini.load(file);
  ini.setValue(section, key, text);
  return ini.save(file);
}

std::vector<std::string> splitList(std::string_view text) {
  std::vector<std::string> items;
  while (!text.empty()) {
    const size_t comma = text.find(',');
    std::string_view item = text.substr(0, comma);
    const size_t first = item.find_first_not_of(" \t");
    if (first != std::string_view::npos) {
      item = item.substr(first, item.find_last_not_of(" \t") - first + 1);
      items.emplace_back(item);
    }
    text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
  }
  return items;
}

uint16_t portOr(int value, int lowest, uint16_t fallback) {
  return value >= lowest && value <= 65535 ? static_cast<uint16_t>(value) : fallback;
}

fs::path fileIn(const fs::path& folder, std::string_view fileBase) {
  return folder / (std::string(fileBase) + ".ini");
}

TwoFiles load(const SettingsFolders& folders, std::string_view fileBase) {
  return TwoFiles(fileIn(folders.presetFolder, fileBase), fileIn(folders.fallbackFolder, fileBase),
                  folders.section);
}

} // namespace

Settings Settings::forThisProgram(const std::string& section) {
  return Settings(SettingsFolders::forThisProgram(section));
}

int Settings::readSetting(std::string_view fileBase, std::string_view key) const {
  return load(folders_, fileBase).number(key);
}

std::optional<std::string> Settings::readText(std::string_view fileBase,
                                              std::string_view key) const {
  return load(folders_, fileBase).text(key);
}

bool Settings::writeValue(std::string_view fileBase, std::string_view key,
                          std::string_view text) const {
  ensureFolder(folders_.presetFolder);
  if (writeKey(fileIn(folders_.presetFolder, fileBase), folders_.section, key, text)) {
    return true;
  }
  // The fallback folder is created here too: on a fresh account it does not exist yet, and
  // without it the setting would be lost whenever the program folder is read-only.
  ensureFolder(folders_.fallbackFolder);
  return writeKey(fileIn(folders_.fallbackFolder, fileBase), folders_.section, key, text);
}

bool Settings::writeSetting(std::string_view fileBase, std::string_view key, int value) const {
  return writeValue(fileBase, key, std::to_string(value));
}

bool Settings::writeText(std::string_view fileBase, std::string_view key,
                         std::string_view value) const {
  return writeValue(fileBase, key, value);
}

LinkConfig Settings::readLinkConfig() const {
  const TwoFiles file = load(folders_, CONFIGURATION_FILE);
  auto number = [&file](std::string_view k) { return file.number(k); };
  auto text = [&file](std::string_view k) { return file.text(k); };
  LinkConfig config;
  const int linkType = number(key::LINK_TYPE);
  config.linkType = linkType < 0 ? LINK_USB : linkType;
  const int baud = number(key::BAUD_RATE);
  config.baudRate = baud > 0 ? baud : DEFAULT_BAUD_RATE;
  config.serialPorts = splitList(text(key::SERIAL_PORTS).value_or(""));
  config.netBroadcastAddress = text(key::NET_BROADCAST_ADDRESS).value_or("255.255.255.255");
  config.netSweep = number(key::NET_SWEEP) != 0;
  config.netSweepBase = text(key::NET_SWEEP_BASE).value_or("");
  config.netUdpPort = portOr(number(key::NET_UDP_PORT), 1, DEFAULT_NET_PORT);
  config.netLocalUdpPort = portOr(number(key::NET_LOCAL_UDP_PORT), 0, DEFAULT_NET_PORT);
  config.netTcpPort = portOr(number(key::NET_TCP_PORT), 1, DEFAULT_NET_PORT);
  config.demoDevice = number(key::DEMO_DEVICE) > 0;
  return config;
}

bool Settings::writeLinkChoice(int linkType, int baudRate) const {
  const bool typeWritten = writeSetting(CONFIGURATION_FILE, key::LINK_TYPE, linkType);
  return writeSetting(CONFIGURATION_FILE, key::BAUD_RATE, baudRate) && typeWritten;
}

} // namespace kv816
