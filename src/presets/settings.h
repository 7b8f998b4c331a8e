#pragma once
// Reading and writing the settings files Language.ini and Configuration.ini.
//
// Every key lives in the section named after the program (SettingsFolders::section). A read
// looks in the preset folder's file, then in the fallback folder's; a write goes to the
// preset folder (created when missing) and, when that fails, to the fallback folder.
// Each call opens, reads (and rewrites) the file, so two Settings objects never disagree.
// Any thread may call; concurrent writers of one file are not coordinated (last one wins).

#include "link/link_config.h"
#include "presets/settings_folders.h"

#include <optional>
#include <string>
#include <string_view>

namespace kv816 {

// File base names (".ini" is appended).
inline constexpr std::string_view LANGUAGE_FILE = "Language";
inline constexpr std::string_view CONFIGURATION_FILE = "Configuration";

// Keys, spelled as existing settings files have them.
namespace key {
inline constexpr std::string_view LANGUAGE = "Language";
inline constexpr std::string_view LINK_TYPE = "m_COM_MdoeIO";
inline constexpr std::string_view BAUD_RATE = "m_COM_m_BoTeLV";
inline constexpr std::string_view SERIAL_PORTS = "SerialPorts";
inline constexpr std::string_view NET_BROADCAST_ADDRESS = "NetBroadcastAddress";
inline constexpr std::string_view NET_SWEEP = "NetSweep";
inline constexpr std::string_view NET_SWEEP_BASE = "NetSweepBase";
inline constexpr std::string_view NET_UDP_PORT = "NetUdpPort";
inline constexpr std::string_view NET_LOCAL_UDP_PORT = "NetLocalUdpPort";
inline constexpr std::string_view NET_TCP_PORT = "NetTcpPort";
inline constexpr std::string_view DEMO_DEVICE = "DemoDevice";
inline constexpr std::string_view TRACE_ENABLED = "TraceEnabled";
inline constexpr std::string_view TRACE_FILE = "TraceFile";
} // namespace key

class Settings {
public:
  explicit Settings(SettingsFolders folders) : folders_(std::move(folders)) {}
  // The running program's settings (see SettingsFolders::forThisProgram).
  static Settings forThisProgram(const std::string& section = {});

  const SettingsFolders& folders() const { return folders_; }

  // The key's decimal value; -1 when neither file has it (a negative value in the preset
  // folder's file also falls through to the fallback file).
  int readSetting(std::string_view fileBase, std::string_view key) const;
  // Writes the value as a decimal number. Returns whether either file was written.
  bool writeSetting(std::string_view fileBase, std::string_view key, int value) const;

  // Text values, with the same two-file rule (an empty value counts as absent).
  std::optional<std::string> readText(std::string_view fileBase, std::string_view key) const;
  bool writeText(std::string_view fileBase, std::string_view key, std::string_view value) const;

  // The language index 0-2, or -1 when no language was ever chosen.
  int language() const { return readSetting(LANGUAGE_FILE, key::LANGUAGE); }
  bool writeLanguage(int index) const { return writeSetting(LANGUAGE_FILE, key::LANGUAGE, index); }

  // Everything the connection worker needs, with defaults for absent or unusable values:
  // link type 1 when the key is missing or negative, baud 115200 unless positive, ports
  // outside 1-65535 (0-65535 for the local UDP port) replaced by 1010.
  LinkConfig readLinkConfig() const;
  // The network settings dialog's choice: link type and the baud rate in use.
  bool writeLinkChoice(int linkType, int baudRate) const;

private:
  bool writeValue(std::string_view fileBase, std::string_view key, std::string_view text) const;

  SettingsFolders folders_;
};

} // namespace kv816
